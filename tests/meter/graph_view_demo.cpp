// Hosts two rate graph views in a plain window at a known place, feeds them
// known samples, writes the client origin to a file and waits until a stop
// file appears (or its time runs out). The screenshot test reads the pixels.
//
// Further steps, each started by a file READY_FILE.hide / READY_FILE.show and
// answered by READY_FILE.hidden / READY_FILE.shown:
//   hide: the owner counts as hidden; view A gets an upload burst and a new
//         background colour to be shown at once, which must draw nothing;
//   show: the owner is visible again and the views are repainted.
//
// graph_view_demo READY_FILE STOP_FILE [SECONDS]

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "meter/view_stack.h"
#include "meter/win32/rate_graph_view.h"

namespace {

constexpr int kClientWidth = 300;
constexpr int kClientHeight = 300;
constexpr UINT_PTR kPollTimer = 1;

std::string g_readyFile;
std::string g_stopFile;
DWORD g_deadline = 0;
bool g_ownerVisible = true;
int g_step = 0;
qm::SampleHistory* g_historyA = nullptr;
qm::RateGraphView* g_viewA = nullptr;
qm::RateGraphView* g_viewB = nullptr;

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Answer(const std::string& path) {
  if (FILE* f = std::fopen(path.c_str(), "w")) std::fclose(f);
}

void NextStep() {
  if (g_step == 0 && Exists(g_readyFile + ".hide")) {
    g_ownerVisible = false;
    g_historyA->push_front({0, 9000, 300, 100});
    g_viewA->AddSample();
    g_viewA->SetColor(qm::GraphColor::GraphBackground, 0xE0E0E0, true);
    GdiFlush();
    Answer(g_readyFile + ".hidden");
    g_step = 1;
  } else if (g_step == 1 && Exists(g_readyFile + ".show")) {
    g_ownerVisible = true;
    InvalidateRect(g_viewA->Handle(), nullptr, FALSE);
    InvalidateRect(g_viewB->Handle(), nullptr, FALSE);
    UpdateWindow(g_viewA->Handle());
    UpdateWindow(g_viewB->Handle());
    GdiFlush();
    Answer(g_readyFile + ".shown");
    g_step = 2;
  }
}

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_TIMER:
      if (Exists(g_stopFile) || GetTickCount() > g_deadline)
        DestroyWindow(hwnd);
      else
        NextStep();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (__argc < 3) return 2;
  const std::string readyFile = __argv[1];
  g_readyFile = readyFile;
  g_stopFile = __argv[2];
  const int seconds = __argc > 3 ? std::atoi(__argv[3]) : 60;
  g_deadline = GetTickCount() + DWORD(seconds) * 1000;

  WNDCLASSA wc{};
  wc.lpfnWndProc = HostProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "QuellmarkGraphViewDemo";
  if (!RegisterClassA(&wc)) return 3;
  // A pop-up window has no frame: its client area is the window.
  HWND host = CreateWindowExA(0, wc.lpszClassName, "Quellmark", WS_POPUP | WS_VISIBLE, 20, 20,
                              kClientWidth, kClientHeight, nullptr, nullptr, instance, nullptr);
  if (!host) return 4;

  qm::ViewStack stack;
  stack.margin = 2;
  stack.clientWidth = kClientWidth;
  stack.clientHeight = kClientHeight;
  qm::StackViews(stack, {0.5f, 0.5f});

  // View A: columns, automatic scale; newest (1000, 500), then idle seconds
  // with one equal second among them.
  qm::SampleHistory historyA, historyB;
  auto visible = [] { return g_ownerVisible; };
  qm::RateGraphView a(&historyA, visible), b(&historyB, visible);
  auto noon = [] { return int64_t(12 * 3600); };
  a.SetClock(noon);
  b.SetClock(noon);
  a.SetTitle("eth0 [198.51.100.7]");
  b.SetTitle("All Connections");

  // View B: lines, fixed scale of 10000 bytes per second, time labels at the
  // bottom, averages in the text in one colour.
  qm::GraphViewSettings lines;
  lines.style = qm::GraphStyle::Line;
  lines.SetFlag(qm::GraphFlag::TimeTextAtTop, false);
  lines.SetFlag(qm::GraphFlag::TextInGraphColors, false);
  lines.SetFlag(qm::GraphFlag::AvgDownLine, true);
  lines.SetFlag(qm::GraphFlag::AvgUpLine, true);
  lines.SetFlag(qm::GraphFlag::UnitBytes, true);
  b.ApplySettings(lines);
  b.SetConnectionSpeed(80000, false);

  if (!a.Create(host, stack.views[0], 8000) || !b.Create(host, stack.views[1], 8001)) return 5;
  g_historyA = &historyA;
  g_viewA = &a;
  g_viewB = &b;

  for (int i = 0; i < 40; ++i) {
    const uint32_t equal = i == 20 ? 600 : 0;
    historyA.push_front(i == 39 ? qm::RateSample{1000, 500, 300, 100}
                                : qm::RateSample{equal, equal, 300, 100});
    a.AddSample();
    const bool burst = i >= 30;
    historyB.push_front(burst ? qm::RateSample{20000, 2500, 6000, 1500}
                              : qm::RateSample{3000, 1000, 5000, 1200});
    b.AddSample();
  }
  UpdateWindow(host);

  POINT origin{0, 0};
  ClientToScreen(host, &origin);
  if (FILE* f = std::fopen(readyFile.c_str(), "w")) {
    std::fprintf(f, "%ld %ld\n", origin.x, origin.y);
    for (const qm::Rect& v : stack.views)
      std::fprintf(f, "%d %d %d %d\n", v.left, v.top, v.right, v.bottom);
    std::fclose(f);
  }
  SetTimer(host, kPollTimer, 100, nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
