#pragma once
// The test driver's commands on any top-level window found by its title:
// where it is, how many there are, closing it, and which of its controls
// cannot show their whole text.

#include <windows.h>

namespace qm::driver {

// Runs "window TITLE", "count TITLE", "close TITLE" or
// "clipped TITLE [FACE POINTS]" (POINTS 0: each control in its own font,
// with the pages inside the window); returns the exit status, or -1 when argv
// names none of them. A TITLE ending in "*" matches the titles that begin
// with the part before it.
int RunWindowCommand(int argc, char** argv);

// The first visible top-level window with this title (the same patterns),
// or null.
HWND FirstWindowTitled(const char* title);

}  // namespace qm::driver
