// ExportSlidePictures: the pages of a presentation converted to PDF, each drawn into a picture file of its
// own at the size of a thumbnail.
#pragma once

#include "afx/afx.h"

// The most slides of one presentation that get a picture.
const int kMaxSlidePictures = 500;

// Writes "slide001.png", "slide002.png" ... into the folder (which exists), so that their names sort in
// slide order; scaled to fit width x height. The number of pictures written, -1 when the document cannot
// be read or a page cannot be drawn or written.
int ExportSlidePictures(const CString& pdf, const CString& folder, int width, int height);
