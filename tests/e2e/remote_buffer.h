#pragma once
// Memory in another process for the messages that carry pointers (tab,
// header and list view items): written before the message, read after it.

#include <windows.h>

#include <cstddef>

#include "platform/win32/unique_handle.h"

namespace qm::driver {

class RemoteBuffer {
 public:
  RemoteBuffer(HWND window, size_t size) : size_(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    process_ = qm::KernelHandle(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    if (process_) memory_ = static_cast<BYTE*>(VirtualAllocEx(process_.Get(), nullptr, size, MEM_COMMIT, PAGE_READWRITE));
  }
  ~RemoteBuffer() {
    if (memory_) VirtualFreeEx(process_.Get(), memory_, 0, MEM_RELEASE);
  }
  explicit operator bool() const { return memory_ != nullptr; }
  BYTE* At(size_t offset) const { return memory_ + offset; }
  void Write(size_t offset, const void* data, size_t n) {
    SIZE_T done = 0;
    WriteProcessMemory(process_.Get(), memory_ + offset, data, n, &done);
  }
  void Read(size_t offset, void* data, size_t n) {
    SIZE_T done = 0;
    ReadProcessMemory(process_.Get(), memory_ + offset, data, n, &done);
  }

 private:
  qm::KernelHandle process_;
  BYTE* memory_ = nullptr;
  size_t size_;
};

}  // namespace qm::driver
