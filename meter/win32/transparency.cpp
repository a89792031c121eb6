#include "meter/win32/transparency.h"

#include "meter/window_geometry.h"
#include "platform/win32/unique_handle.h"

namespace qm {
namespace {

using SetLayeredFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

// The function with the library that holds it loaded; null when missing.
SetLayeredFn LookUp(ModuleHandle& library) {
  library.Reset(LoadLibraryA("user32.dll"));
  if (!library) return nullptr;
  return reinterpret_cast<SetLayeredFn>(
      reinterpret_cast<void*>(GetProcAddress(library.Get(), "SetLayeredWindowAttributes")));
}

}  // namespace

bool LayeredWindowsSupported() {
  ModuleHandle library;
  return LookUp(library) != nullptr;
}

void ApplyTransparency(HWND hwnd, int percent, bool clickThrough) {
  ModuleHandle library;
  SetLayeredFn setLayered = LookUp(library);
  if (!setLayered) return;
  LONG_PTR ex = GetWindowLongPtrA(hwnd, GWL_EXSTYLE) | WS_EX_LAYERED;
  ex = clickThrough ? (ex | WS_EX_TRANSPARENT) : (ex & ~LONG_PTR(WS_EX_TRANSPARENT));
  SetWindowLongPtrA(hwnd, GWL_EXSTYLE, ex);
  setLayered(hwnd, 0, BYTE(TransparencyAlpha(percent)), LWA_ALPHA);
}

}  // namespace qm
