#pragma once
// The program's pictures, drawn at any size from the same design.

#include "tools/art/raster.h"

namespace art {

// Toolbar images, 48 x 48.
Image NewTask();
Image SortAscending();
Image SortDescending();

// Icons at any of their sizes.
Image ProgramIcon(int size);  // a clipboard with a ticked list
Image LogIcon(int size);      // a written page with a clock
Image CheckIcon(int size);    // a check mark in pure red only, for the rows' deadline tint
Image CrossIcon(int size);    // a white cross on a red square

// Report buttons, 48 x 48.
Image PdfDocument();
Image HtmlPage();
Image TextFile();

}  // namespace art
