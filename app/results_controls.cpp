// The registered controls of the results pages.
#include "app/results_controls.h"

ResultsControls& TheResultsControls()
{
    static ResultsControls controls;
    return controls;
}
