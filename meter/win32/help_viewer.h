#pragma once
// The help file beside the program, opened on the page of the window the
// user asks from.

#include <windows.h>

namespace qm {

// Opens Quellmark.chm on the page of `from`'s top-level window (and, in a
// tabbed window, of its current tab); without a page of its own, or with
// `from` null, on the start page. An open help window is brought forward
// when it is asked for the start page, and makes way for a new one showing
// the page otherwise.
void OpenHelpFor(HWND owner, HWND from);

// Opens the help on its start page, maximised, as at the first start.
void OpenHelpMaximized(HWND owner);

// Closes an open help window (the program is ending).
void CloseHelp();

}  // namespace qm
