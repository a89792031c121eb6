#pragma once
// List view column widths that leave room for their headings.

#include <windows.h>

namespace qm {

// `width` (already scaled to the screen), or more when the heading in the
// list's font needs more: the widths are chosen for one font, and a wider
// face or another DPI must not cut a heading short.
int FittedColumnWidth(HWND list, const char* heading, int width);

}  // namespace qm
