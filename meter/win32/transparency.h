#pragma once
// Semi-transparency and click-through of a window through
// SetLayeredWindowAttributes, which older systems lack: it is looked up by
// name in "user32.dll" for every use.

#include <windows.h>

namespace qm {

bool LayeredWindowsSupported();

// Makes the window layered with the alpha of `percent` (0..100), passes
// mouse input through it when `clickThrough` is on. Nothing happens
// without layered-window support.
void ApplyTransparency(HWND hwnd, int percent, bool clickThrough);

}  // namespace qm
