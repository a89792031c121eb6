#pragma once
// Ownership of one Win32 handle: closed exactly once, by the function the
// handle's kind needs, when the owner goes out of scope. Every handle this
// program opens and closes itself lives in one of these; nothing in the tree
// calls CloseHandle, DeleteObject and the like by hand.

#include <windows.h>

#include <utility>

namespace qm {

// `Traits` names the handle type, its "none" value and its closing function:
//   struct Traits { using Type = ...; static Type Invalid(); static void Close(Type); };
template <typename Traits>
class UniqueHandle {
 public:
  using Type = typename Traits::Type;

  UniqueHandle() = default;
  explicit UniqueHandle(Type h) : h_(h) {}
  ~UniqueHandle() { Reset(); }

  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : h_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  Type Get() const { return h_; }
  explicit operator bool() const { return h_ != Traits::Invalid(); }

  // Closes the handle held now (if any) and takes `h`.
  void Reset(Type h = Traits::Invalid()) {
    if (h_ != Traits::Invalid()) Traits::Close(h_);
    h_ = h;
  }

  // Hands the handle over without closing it.
  Type Release() { return std::exchange(h_, Traits::Invalid()); }

 private:
  Type h_ = Traits::Invalid();
};

namespace handle_traits {

// Kernel objects (events, threads, processes, mutexes, files opened by
// CreateFile on success). A failed CreateFile returns INVALID_HANDLE_VALUE:
// check that before wrapping.
struct Kernel {
  using Type = HANDLE;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { CloseHandle(h); }
};

struct ServiceManager {
  using Type = SC_HANDLE;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { CloseServiceHandle(h); }
};

struct Module {
  using Type = HMODULE;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { FreeLibrary(h); }
};

// Pens, brushes, fonts and bitmaps: not while selected into a device context.
template <typename T>
struct GdiObject {
  using Type = T;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { DeleteObject(h); }
};

// Memory device contexts from CreateCompatibleDC.
struct MemoryDc {
  using Type = HDC;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { DeleteDC(h); }
};

struct Icon {
  using Type = HICON;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { DestroyIcon(h); }
};

// Registry keys from RegOpenKeyEx / RegCreateKeyEx.
struct RegistryKey {
  using Type = HKEY;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { RegCloseKey(h); }
};

// Memory the system allocated for the caller with LocalAlloc (security
// descriptors from GetSecurityInfo, for example).
struct LocalMemory {
  using Type = HLOCAL;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { LocalFree(h); }
};

}  // namespace handle_traits

using KernelHandle = UniqueHandle<handle_traits::Kernel>;
using ServiceHandle = UniqueHandle<handle_traits::ServiceManager>;
using ModuleHandle = UniqueHandle<handle_traits::Module>;
template <typename T>
using GdiHandle = UniqueHandle<handle_traits::GdiObject<T>>;  // GdiHandle<HFONT>, GdiHandle<HBITMAP>
using MemoryDcHandle = UniqueHandle<handle_traits::MemoryDc>;
using IconHandle = UniqueHandle<handle_traits::Icon>;
using RegistryKeyHandle = UniqueHandle<handle_traits::RegistryKey>;
using LocalMemoryHandle = UniqueHandle<handle_traits::LocalMemory>;

// A device context borrowed from a window (GetDC), given back on scope exit.
class WindowDc {
 public:
  explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(hwnd_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;

  HDC Get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND hwnd_;
  HDC dc_;
};

}  // namespace qm
