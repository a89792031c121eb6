#include <windows.h>

#include "platform/file.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/system_error.h"

namespace qm {
namespace {

class Win32File : public File {
 public:
  explicit Win32File(HANDLE h) : handle_(h) {}
  int64_t Read(void* buffer, size_t size) override {
    size_t done = 0;
    while (done < size) {
      DWORD chunk = size - done > 0x40000000 ? 0x40000000 : DWORD(size - done), got = 0;
      if (!ReadFile(Handle(), static_cast<char*>(buffer) + done, chunk, &got, nullptr)) return -1;
      if (got == 0) break;
      done += got;
    }
    return int64_t(done);
  }
  bool Write(const void* data, size_t size) override {
    size_t done = 0;
    while (done < size) {
      DWORD chunk = size - done > 0x40000000 ? 0x40000000 : DWORD(size - done), put = 0;
      if (!WriteFile(Handle(), static_cast<const char*>(data) + done, chunk, &put, nullptr) || put == 0) return false;
      done += put;
    }
    return true;
  }
  bool Seek(int64_t offset) override {
    LARGE_INTEGER li;
    li.QuadPart = offset;
    return SetFilePointerEx(Handle(), li, nullptr, FILE_BEGIN) != 0;
  }
  bool SeekEnd() override {
    LARGE_INTEGER zero{};
    return SetFilePointerEx(Handle(), zero, nullptr, FILE_END) != 0;
  }
  int64_t Position() override {
    LARGE_INTEGER zero{}, pos{};
    if (!SetFilePointerEx(Handle(), zero, &pos, FILE_CURRENT)) return -1;
    return pos.QuadPart;
  }
  int64_t Size() override {
    LARGE_INTEGER size{};
    return GetFileSizeEx(Handle(), &size) ? size.QuadPart : -1;
  }
  bool Truncate() override { return SetEndOfFile(Handle()) != 0; }
  bool Flush() override { return FlushFileBuffers(Handle()) != 0; }

 private:
  HANDLE Handle() const { return handle_.Get(); }

  KernelHandle handle_;
};

class Win32FileSystem : public FileSystem {
 public:
  std::unique_ptr<File> Open(const std::string& path, FileAccess access, FileShare share, FileCreate create) override {
    DWORD acc = access == FileAccess::Read ? GENERIC_READ
                : access == FileAccess::Write ? GENERIC_WRITE
                                              : GENERIC_READ | GENERIC_WRITE;
    DWORD sh = share == FileShare::None ? 0
               : share == FileShare::Read ? FILE_SHARE_READ
                                          : FILE_SHARE_READ | FILE_SHARE_WRITE;
    DWORD disp = create == FileCreate::OpenExisting   ? OPEN_EXISTING
                 : create == FileCreate::OpenAlways   ? OPEN_ALWAYS
                 : create == FileCreate::CreateAlways ? CREATE_ALWAYS
                                                      : CREATE_NEW;
    HANDLE h = CreateFileA(path.c_str(), acc, sh, nullptr, disp, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32File>(h);
  }
  bool Exists(const std::string& path) override { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
  bool IsDirectory(const std::string& path) override {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
  }
  bool Move(const std::string& from, const std::string& to) override { return MoveFileA(from.c_str(), to.c_str()) != 0; }
  bool Copy(const std::string& from, const std::string& to, bool overwrite) override {
    return CopyFileA(from.c_str(), to.c_str(), overwrite ? FALSE : TRUE) != 0;
  }
  bool Remove(const std::string& path) override { return DeleteFileA(path.c_str()) != 0; }
  bool MakeDirectory(const std::string& path) override { return CreateDirectoryA(path.c_str(), nullptr) != 0; }
  bool Identify(const std::string& path, FileIdentity& out) override {
    // No access asked for: this works while another handle holds the file
    // without sharing; backup semantics let it look at folders as well.
    HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    KernelHandle file(h);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.Get(), &info)) return false;
    out = FileIdentity{info.dwVolumeSerialNumber, (uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
    return true;
  }
  char Separator() const override { return '\\'; }
};

}  // namespace

FileSystem& SystemFileSystem() {
  static Win32FileSystem fs;
  return fs;
}

std::string LastFileErrorText() { return SystemErrorText(GetLastError()); }

}  // namespace qm
