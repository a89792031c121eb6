#include "uikit/file_dialogs.h"

namespace qm {
namespace {

bool ChooseFile(HWND owner, FileDialogSetup& setup, bool save, std::string& path) {
  char file[MAX_PATH] = {};
  if (setup.file.size() < sizeof file) setup.file.copy(file, setup.file.size());
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = setup.filter;
  ofn.nFilterIndex = setup.filterIndex;
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.lpstrInitialDir = setup.folder.empty() ? nullptr : setup.folder.c_str();
  ofn.lpstrTitle = setup.title;
  ofn.lpstrDefExt = setup.defaultExtension;
  ofn.Flags = setup.flags | OFN_HIDEREADONLY;
  if (!(save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn))) return false;
  setup.filterIndex = ofn.nFilterIndex;
  path = file;
  return true;
}

}  // namespace

bool ChooseFileToOpen(HWND owner, FileDialogSetup& setup, std::string& path) {
  return ChooseFile(owner, setup, false, path);
}

bool ChooseFileToSave(HWND owner, FileDialogSetup& setup, std::string& path) {
  return ChooseFile(owner, setup, true, path);
}

}  // namespace qm
