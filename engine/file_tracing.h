// The file-tracing scan worker: signature sweep of the chosen range into the traced-file list, and its result tree.
#pragma once

#include "engine/trace_sweep.h"
#include "win32/types.h"

// Sets the run flags, clears the failure of an earlier run and starts FileTracingThread in a worker thread; the page
// then waits for the worker's finished signal.
void StartFileTracing();

// The worker's body (the starter has called BeginScanRun). Opens a logical volume again, checks the volume, sweeps
// it and builds the result. 1 after a scan (also a stopped one); 0 when the volume could not be opened or its layout
// not found, after telling the user. Ends by setting the worker's finished signal.
int FileTracingThread();

// The sweep over PartitionParams' range with the signature list, into a fresh traced-file list, then the result
// tree and list rows. Unreadable sectors are skipped and reported.
TraceSweepResult TraceFiles();

// The found-items tree of a tracing result ("Root", one folder per file-type text holding the extensions found
// under it) and one list row per file type; after a scan and after loading a tracing snapshot.
void BuildTracedResult();

// ".ppt", ".xls", ".doc" or ".pub" for the compound document at `sector`, from its SummaryInformation AppName; read
// from the first 1 MiB of the document.
const WCHAR* GuessOfficeExtension(ULONGLONG sector);

