#include "reports/win32/report_export.h"

#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "reports/report_file.h"
#include "uikit/file_dialogs.h"

namespace qm {
namespace {

constexpr char kCaption[] = "Quellmark";

struct ExportTexts {
  const char* dialogTitle;
  const char* done;
};

ExportTexts TextsOf(ReportKind kind) {
  switch (kind) {
    case ReportKind::Daily:
      return {"Export Daily Report",
              "Successfully export daily traffic report to file '%s'.\n\nDo you want to open it now?"};
    case ReportKind::Weekly:
      return {"Export Weekly Report",
              "Successfully export weekly traffic report to file '%s'.\n\nDo you want to open it now?"};
    case ReportKind::Monthly:
      return {"Export Monthly Report",
              "Successfully export monthly traffic report to file '%s'.\n\nDo you want to open it now?"};
    case ReportKind::Summary:
      break;
  }
  return {"Export General Summary",
          "Successfully export general traffic summary to file '%s'.\n\nDo you want to open it now?"};
}

std::string Format(const char* format, const std::string& a, const std::string& b = std::string()) {
  std::vector<char> text(std::strlen(format) + a.size() + b.size() + 1);
  std::snprintf(text.data(), text.size(), format, a.c_str(), b.c_str());
  return text.data();
}

}  // namespace

void ExportReport(HWND owner, const ReportCells& cells) {
  const ExportTexts texts = TextsOf(cells.kind);
  FileDialogSetup setup;
  setup.filter = "Text File (*.txt)\0*.txt\0Microsoft Excel (*.csv)\0*.csv\0Web Page (*.htm;*.html)\0*.htm;*.html\0";
  setup.title = texts.dialogTitle;
  setup.flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
  std::string file;
  if (!ChooseFileToSave(owner, setup, file)) return;
  const ReportForm form = setup.filterIndex == 2 ? ReportForm::Csv : setup.filterIndex == 3 ? ReportForm::Html
                                                                                             : ReportForm::Text;
  const std::string path = ExportFileName(file, form);

  std::unique_ptr<File> out = SystemFileSystem().Open(path, FileAccess::Write, FileShare::None, FileCreate::CreateAlways);
  if (!out) {
    MessageBoxA(owner, Format("Failed to create file '%s'.", path).c_str(), kCaption, MB_OK | MB_ICONWARNING);
    return;
  }
  const std::string report = RenderReport(cells, form);
  // A report that did not reach the disk whole is not announced as exported.
  const bool written = out->Write(report.data(), report.size()) && out->Flush();
  const std::string reason = written ? std::string() : LastFileErrorText();
  out.reset();
  if (!written) {
    MessageBoxA(owner, Format("Failed to write file '%s': %s", path, reason).c_str(), kCaption,
                MB_OK | MB_ICONWARNING);
    return;
  }
  if (MessageBoxA(owner, Format(texts.done, path).c_str(), kCaption, MB_YESNO | MB_ICONQUESTION) == IDYES)
    ShellExecuteA(owner, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace qm
