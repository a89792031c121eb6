#include "meter/win32/options_sheet.h"

#include "meter/win32/options_controls.h"
#include "meter/win32/rate_graph_view.h"
#include "meter/win32/resource.h"

namespace qm {
namespace {

constexpr char kTitle[] = "Quellmark Options";
constexpr int kApplyButton = 0x3021;  // the sheet's own "&Apply" button

// "Tahoma" at the pages' 8 points: 11 pixels on a 96-dot screen. Taken
// from the points, as the pages' dialog units are, so that text and room
// grow alike (11 pixels scaled to 144 dots would be a pixel too tall for
// the labels).
GdiHandle<HFONT> MakeSheetFont() {
  const int dpi = ScreenDpi();
  LOGFONTA f{};
  f.lfHeight = -MulDiv(8, dpi, 72);
  f.lfWeight = FW_NORMAL;
  f.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(f.lfFaceName, "Tahoma", sizeof f.lfFaceName);
  return GdiHandle<HFONT>(CreateFontIndirectA(&f));
}

}  // namespace

COptionsSheet::COptionsSheet(HINSTANCE instance, HWND meterWindow, const OptionsSheetInput& input)
    : instance_(instance), meter_(meterWindow), font_(MakeSheetFont()),
      general_(input.options, input.layeredWindows), graphText_(input.options),
      adapters_(input.options, input.adapters) {}

void COptionsSheet::Run() {
  SetIcon(static_cast<HICON>(
      LoadImageA(instance_, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED)));
  for (OptionsPage* page : {static_cast<OptionsPage*>(&general_), static_cast<OptionsPage*>(&graphText_),
                            static_cast<OptionsPage*>(&adapters_), notification_}) {
    if (!page) continue;
    page->Attach(meter_, font_.Get());
    AddPage(*page);
  }
  service_.SetFont(font_.Get());
  AddPage(service_);
  SheetDialog::Run(instance_, meter_, kTitle);
}

// Its own task-bar button, a system menu with a minimise box.
void COptionsSheet::OnPreCreate(DWORD& style, DWORD& exStyle) {
  style |= WS_SYSMENU | WS_MINIMIZEBOX;
  exStyle |= WS_EX_APPWINDOW;
}

void COptionsSheet::OnCreated() {
  HWND sheet = Handle();
  HICON small = static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                              LR_SHARED));
  if (small) SendMessageA(sheet, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));

  SetDlgItemTextA(sheet, IDOK, "OK");
  SetDlgItemTextA(sheet, IDCANCEL, "Cancel");
  SetDlgItemTextA(sheet, kApplyButton, "&Apply");
  SetDlgItemTextA(sheet, IDHELP, "Help");
  SetFontOnChildren(sheet, font_.Get());

  RECT r, desktop;
  GetWindowRect(sheet, &r);
  GetWindowRect(GetDesktopWindow(), &desktop);
  const int w = r.right - r.left, h = r.bottom - r.top;
  SetWindowPos(sheet, nullptr, desktop.left + (desktop.right - desktop.left - w) / 2,
               desktop.top + (desktop.bottom - desktop.top - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

}  // namespace qm
