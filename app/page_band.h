// What the wizard's pages draw and set up alike: the top band of pictures, the skinned buttons.
#pragma once

#include "afx/afx.h"
#include "afx/gdi.h"

class CSkinButton;

// Draws a bitmap resource at (x, y) in its own size; its size, or an empty one when it is missing.
CSize DrawPageBitmap(CDC* dc, UINT id, int x, int y);
// The page's top band: the banner at the top left, the band's end at the top right and the band's tile stretched
// between them (from its source row 1). Returns the band's height.
int DrawPageBand(CDC* dc, const CRect& client, UINT banner);
// Stretches a bitmap resource over a rectangle.
void StretchPageBitmap(CDC* dc, UINT id, const CRect& target);

// The wizard's buttons: Next, Back and Stop with their icon, colours and sound; Home with its picture.
enum WizardButtonKind { WIZARD_NEXT, WIZARD_BACK, WIZARD_STOP, WIZARD_HOME };
void SetupWizardButton(CSkinButton& button, WizardButtonKind kind);
