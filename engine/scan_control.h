// Cooperative pause and stop of the running engine worker, and its "finished" signal.
#pragma once

#include "win32/types.h"

// Called by the starter before the worker thread starts: running flags set, finished signal cleared.
void BeginScanRun();
// The worker's poll point: waits while a pause is requested; true when the worker should stop.
bool ScanPollPoint();
// The user-interface side: pause (a question is on screen), resume, and stop.
void RequestScanPause(bool pause);
void RequestScanStop();
// Set only by the worker, as its very last act; failed tells a run that ended without a result.
void MarkWorkerFinished(bool failed);
bool IsWorkerFinished();
bool WorkerFailed();
// Waits up to timeoutMs for the finished signal; true when it is set.
bool WaitWorkerFinished(DWORD timeoutMs);
