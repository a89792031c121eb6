#include <windows.h>

#include "platform/win32/shell_folders.h"
#include "platform/win32/unique_handle.h"

namespace qm {

std::string DocumentsFolder() {
  using GetFolderFn = BOOL(WINAPI*)(HWND, LPSTR, int, BOOL);
  ModuleHandle shell(LoadLibraryA("shell32.dll"));
  if (!shell) return std::string();
  auto get =
      reinterpret_cast<GetFolderFn>(reinterpret_cast<void*>(GetProcAddress(shell.Get(), "SHGetSpecialFolderPathA")));
  char path[MAX_PATH] = {};
  const int kPersonal = 5;  // the documents folder
  std::string folder;
  if (get && get(nullptr, path, kPersonal, TRUE)) folder = path;
  return folder;
}

std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return std::string();
  std::string folder(path, n);
  size_t slash = folder.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

}  // namespace qm
