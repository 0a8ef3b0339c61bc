// A minimal framework program: a frame with a view of a document, and a dialog with data exchange.
#pragma once

#include "afx/afx.h"

// Runs the program with its command line; "-auto" opens the dialog, accepts it and closes the
// frame by itself, so the whole run needs no user. The exit code is 0 when everything it did
// worked.
int RunSampleApp(LPWSTR lpCmdLine, int nCmdShow);
