#pragma once
// The system's open and save dialogs for one file, set up in one place.
//
//   FileDialogSetup setup;
//   setup.filter = "Log File (*.log)\0*.log\0";
//   setup.defaultExtension = "log";
//   setup.flags = OFN_PATHMUSTEXIST;
//   std::string path;
//   if (ChooseFileToSave(hwnd, setup, path)) ...

#include <windows.h>
#include <commdlg.h>

#include <string>

namespace qm {

struct FileDialogSetup {
  const char* filter = nullptr;            // pairs "Name\0pattern\0", ending with an empty one
  const char* title = nullptr;             // nullptr: the system's own
  const char* defaultExtension = nullptr;  // appended to a name typed without one
  std::string folder;                      // where the dialog opens; empty: the system's choice
  std::string file;                        // the name it opens with; one too long to fit starts empty
  DWORD flags = 0;                         // OFN_ flags; the read-only box is always hidden
  DWORD filterIndex = 1;                   // the file type, from 1; the user's choice on return
};

// True with the chosen path in `path`; false, with `path` untouched, when
// the user cancels.
bool ChooseFileToOpen(HWND owner, FileDialogSetup& setup, std::string& path);
bool ChooseFileToSave(HWND owner, FileDialogSetup& setup, std::string& path);

}  // namespace qm
