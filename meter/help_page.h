#pragma once
// Which page of the help file belongs to a window of the desktop program:
// F1 and the Help buttons open the help on the page of the window the user
// is in, not on its start page.

#include <string>
#include <string_view>

namespace qm {

// The page for a window with this title, and for a tabbed window the text
// of its current tab; "" when the help's start page fits (the meter window,
// and any window without a page of its own).
std::string HelpPageFor(std::string_view windowTitle, std::string_view tabText);

}  // namespace qm
