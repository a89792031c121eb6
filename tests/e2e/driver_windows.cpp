#include "tests/e2e/driver_windows.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <commctrl.h>

#include "platform/win32/unique_handle.h"
#include "tests/e2e/remote_buffer.h"

namespace qm::driver {
namespace {

std::string TextOf(HWND hwnd) {
  char text[1024] = {};
  SendMessageA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

std::string ClassOf(HWND hwnd) {
  char name[256] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

// "Traffic Reports - *" matches every title that begins with the part before
// the star; any other pattern only the title itself.
bool TitleMatches(const std::string& title, const std::string& pattern) {
  if (!pattern.empty() && pattern.back() == '*') return title.rfind(pattern.substr(0, pattern.size() - 1), 0) == 0;
  return title == pattern;
}

std::vector<HWND> VisibleWindowsTitled(const std::string& title) {
  struct Search {
    const std::string* title;
    std::vector<HWND> found;
  } search{&title, {}};
  EnumWindows(
      [](HWND hwnd, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        if (IsWindowVisible(hwnd) && TitleMatches(TextOf(hwnd), *s->title)) s->found.push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The column headings of a list view that do not fit their column: the
// header keeps a margin of three edges on either side of a heading.
bool HeaderClipped(HWND header, HDC dc, std::string& why) {
  constexpr size_t kText = 256;
  RemoteBuffer buffer(header, sizeof(HDITEMA) + kText);
  if (!buffer) return false;
  const int margin = 3 * GetSystemMetrics(SM_CXEDGE);
  const int count = int(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    HDITEMA item{};
    item.mask = HDI_TEXT | HDI_WIDTH;
    item.pszText = reinterpret_cast<char*>(buffer.At(sizeof item));
    item.cchTextMax = kText;
    buffer.Write(0, &item, sizeof item);
    if (!SendMessageA(header, HDM_GETITEMA, WPARAM(i), reinterpret_cast<LPARAM>(buffer.At(0)))) continue;
    buffer.Read(0, &item, sizeof item);
    char text[kText] = {};
    buffer.Read(sizeof item, text, sizeof text - 1);
    if (!text[0] || item.cxy <= 0) continue;
    RECT need{0, 0, 0, 0};
    DrawTextA(dc, text, -1, &need, DT_CALCRECT | DT_SINGLELINE);
    if (need.right <= item.cxy - 2 * margin) continue;
    char line[400];
    std::snprintf(line, sizeof line, "SysHeader32|%s|needs %ld, has %d", text, need.right, item.cxy - 2 * margin);
    why = line;
    return true;
  }
  return false;
}

// A control's text measured with the dialog font the way the control lays it
// out: word-wrapped for multi-line statics, on one line otherwise. Buttons
// keep a margin for their frame, check boxes and radio buttons for the box.
bool Clipped(HWND control, HDC dc, std::string& why) {
  const std::string cls = ClassOf(control);
  if (!IsWindowVisible(control)) return false;
  if (cls == "SysHeader32") return HeaderClipped(control, dc, why);
  std::string text = TextOf(control);
  if (text.empty()) return false;
  const LONG style = LONG(GetWindowLongPtrA(control, GWL_STYLE));
  RECT client;
  GetClientRect(control, &client);
  int room = client.right, height = client.bottom;
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  UINT format = DT_CALCRECT | DT_EXPANDTABS;
  if (cls == "Button") {
    const LONG kind = style & BS_TYPEMASK;
    if (kind == BS_GROUPBOX) {
      room -= MulDiv(16, dpi, 96);
      format |= DT_SINGLELINE;
    } else if (kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX || kind == BS_RADIOBUTTON ||
               kind == BS_AUTORADIOBUTTON || kind == BS_3STATE || kind == BS_AUTO3STATE) {
      room -= GetSystemMetrics(SM_CXMENUCHECK) + MulDiv(4, dpi, 96);
      format |= (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
    } else {
      room -= MulDiv(6, dpi, 96);
      format |= (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
    }
  } else if (cls == "Static") {
    const LONG kind = style & SS_TYPEMASK;
    if (kind != SS_LEFT && kind != SS_CENTER && kind != SS_RIGHT && kind != SS_LEFTNOWORDWRAP &&
        kind != SS_SIMPLE && kind != SS_OWNERDRAW)
      return false;  // icons, frames, pictures
    format |= kind == SS_LEFTNOWORDWRAP || kind == SS_SIMPLE ? DT_SINGLELINE : DT_WORDBREAK;
  } else {
    return false;  // edit boxes, lists and the like scroll their text
  }
  RECT need{0, 0, room, 0};
  DrawTextA(dc, text.c_str(), int(text.size()), &need, format);
  if (need.right <= room && need.bottom <= height) return false;
  char line[1200];
  std::snprintf(line, sizeof line, "%s|%s|needs %ldx%ld, has %dx%d", cls.c_str(), text.c_str(), need.right,
                need.bottom, room, height);
  why = line;
  return true;
}

// Every control of `window`, also those of the pages of a sheet and the
// headings of list views (children of children), measured in `font`;
// without one, each in its own font.
int PrintClipped(HWND window, const char* face, int points) {
  WindowDc screen(nullptr);
  HDC dc = screen.Get();
  GdiHandle<HFONT> font(points <= 0 ? nullptr
                                    : CreateFontA(-MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0,
                                                  FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face));
  std::printf("dpi=%d\n", GetDeviceCaps(dc, LOGPIXELSY));
  struct Count {
    HDC dc;
    HFONT font;
    int clipped = 0, controls = 0;
  } count{dc, font.Get()};
  EnumChildWindows(
      window,
      [](HWND c, LPARAM lp) -> BOOL {
        auto* n = reinterpret_cast<Count*>(lp);
        ++n->controls;
        HFONT own = n->font ? n->font : reinterpret_cast<HFONT>(SendMessageA(c, WM_GETFONT, 0, 0));
        HGDIOBJ old = SelectObject(n->dc, own ? own : GetStockObject(DEFAULT_GUI_FONT));
        std::string why;
        if (Clipped(c, n->dc, why)) {
          std::printf("clipped=%s\n", why.c_str());
          ++n->clipped;
        }
        SelectObject(n->dc, old);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  std::printf("controls=%d\nclipped_count=%d\n", count.controls, count.clipped);
  return 0;
}

}  // namespace

HWND FirstWindowTitled(const char* title) {
  const std::vector<HWND> windows = VisibleWindowsTitled(title);
  return windows.empty() ? nullptr : windows.front();
}

int RunWindowCommand(int argc, char** argv) {
  if (argc < 3) return -1;
  const std::string what = argv[1];
  if (what != "window" && what != "count" && what != "close" && what != "clipped") return -1;
  const std::vector<HWND> windows = VisibleWindowsTitled(argv[2]);
  if (what == "count") {
    std::printf("count=%zu\n", windows.size());
    return 0;
  }
  if (windows.empty()) return 1;
  HWND window = windows.front();
  if (what == "window") {
    RECT r;
    GetWindowRect(window, &r);
    std::printf("rect=%ld %ld %ld %ld\nclass=%s\n", r.left, r.top, r.right, r.bottom, ClassOf(window).c_str());
    RECT c;
    GetClientRect(window, &c);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&c), 2);
    std::printf("client=%ld %ld %ld %ld\n", c.left, c.top, c.right, c.bottom);
    std::printf("maximized=%d\nforeground=%d\n", IsZoomed(window) ? 1 : 0, GetForegroundWindow() == window ? 1 : 0);
    return 0;
  }
  if (what == "close") return PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
  return PrintClipped(window, argc > 3 ? argv[3] : "Tahoma", argc > 4 ? std::atoi(argv[4]) : 8);
}

}  // namespace qm::driver
