// The controls of the results pages that the engine's port fills: the results page and the volume
// choice page register theirs when they are created (tests and benchmarks register their own).
#pragma once

#include "afx/afx.h"

class CFoundTreeCtrl;
class CFoundListCtrl;
class CVolumeTreeCtrl;

struct ResultsControls {
    CFoundTreeCtrl* tree = nullptr;
    CFoundListCtrl* list = nullptr;
    CVolumeTreeCtrl* volumes = nullptr;
    // The results page's static that shows the ticked items' size.
    CWnd* sizeStatic = nullptr;
};

ResultsControls& TheResultsControls();
