// The traffic reports window on a long history: 16 adapters (All
// Connections, Dial-Up Connections and 14 network adapters) over ten years,
// 58,400 records. Prints how long the first page took to be filled (from
// asking for the window until its message loop runs, the page's rows all
// in place) and the CPU time the open window spends per second while its
// page refreshes, then closes it.
//
//   reports_window_bench.exe PAGE [SECONDS [DAYS]]    PAGE 0 Summary .. 3 Monthly;
//                                                    DAYS of history (3650)
//
// Output lines: "first_page_ms=", "refresh_us=", "cpu_ms_per_second=", "rows=".

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/adapter_list.h"
#include "engine/day_record.h"
#include "meter/win32/resource.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "reports/win32/summary_sheet.h"

namespace {

constexpr int kAdapters = 16;
int days = 3650;

LARGE_INTEGER Now() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t;
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return double(to.QuadPart - from.QuadPart) * 1000.0 / double(f.QuadPart);
}

double ProcessCpuMs() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto ms = [](const FILETIME& t) { return double((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0; };
  return ms(kernel) + ms(user);
}

std::string AdapterId(int i) {
  char id[64];
  std::snprintf(id, sizeof id, "{%08X-0000-0000-0000-4E6574446576}", i);
  return id;
}

// Ten years up to yesterday, a record per adapter and day, in the order
// the engine writes them.
bool WriteHistory(const std::string& path, const qm::LocalTime& today) {
  std::unique_ptr<qm::File> f =
      qm::SystemFileSystem().Open(path, qm::FileAccess::Write, qm::FileShare::None, qm::FileCreate::CreateAlways);
  if (!f) return false;
  std::string bytes(24, '\0');
  bytes.replace(0, 4, "NTSL");
  bytes[4] = 2;
  const qm::Date last = qm::MakeDate(today.year, today.month, today.day);
  for (int day = days; day >= 1; --day) {
    const qm::Date d = qm::AddDays(last, -day);
    qm::LocalTime t{};
    t.year = d.year, t.month = d.month, t.day = d.day, t.dayOfWeek = d.dayOfWeek;
    for (int a = 0; a < kAdapters; ++a) {
      const int32_t kind = a == 0 ? qm::kKindAllConnections : a == 1 ? qm::kKindDialUp : qm::kKindAdapter;
      const qm::DayRecord r = qm::MakeDayRecord(t, kind, a < 2 ? std::string() : AdapterId(a), 1000u * day + a,
                                                500u * day + a);
      bytes.append(reinterpret_cast<const char*>(&r), sizeof r);
    }
  }
  return f->Write(bytes.data(), bytes.size()) && f->Flush();
}

struct Run {
  LARGE_INTEGER asked;
  double firstPageMs = -1;
  double refreshUs = -1;
  double cpuAtOpen = 0;
  int seconds = 10;
  int elapsed = 0;
} run;

HWND Sheet() { return FindWindowA(nullptr, "Traffic Reports - [All Connections]"); }

// The shown page's one-second refresh, a thousand times: microseconds each.
double TimeRefreshes() {
  HWND page = nullptr;
  for (HWND c = GetWindow(Sheet(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (IsWindowVisible(c) && GetDlgCtrlID(c) == 0) page = c;
  if (!page) return -1;
  constexpr int kTimes = 1000;
  const LARGE_INTEGER from = Now();
  for (int i = 0; i < kTimes; ++i) SendMessageA(page, WM_TIMER, TIMER_REPORT_REFRESH, 0);
  return Milliseconds(from, Now()) * 1000.0 / kTimes;
}

// A message-only window hears inside the reports window's own loop: first
// the message posted before the window was asked for, then a tick a second.
LRESULT CALLBACK Clock(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_APP) {
    run.firstPageMs = Milliseconds(run.asked, Now());
    run.refreshUs = TimeRefreshes();
    run.cpuAtOpen = ProcessCpuMs();
    SetTimer(hwnd, 1, 1000, nullptr);
    return 0;
  }
  if (msg != WM_TIMER) return DefWindowProcA(hwnd, msg, wp, lp);
  if (++run.elapsed < run.seconds) return 0;
  KillTimer(hwnd, 1);
  const double cpu = ProcessCpuMs() - run.cpuAtOpen;
  std::printf("first_page_ms=%.1f\nrefresh_us=%.1f\ncpu_ms_per_second=%.2f\n", run.firstPageMs, run.refreshUs,
              cpu / run.seconds);
  PostMessageA(Sheet(), WM_COMMAND, IDCANCEL, 0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const int page = argc > 1 ? std::atoi(argv[1]) : 1;
  run.seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
  if (argc > 3) days = std::max(0, std::atoi(argv[3]));
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

  const qm::LocalTime today = qm::SystemClock().Now();
  char folder[MAX_PATH];
  GetTempPathA(sizeof folder, folder);
  const std::string path = std::string(folder) + "reports_window_bench.log";
  if (!WriteHistory(path, today)) return 1;
  std::unique_ptr<qm::File> history =
      qm::SystemFileSystem().Open(path, qm::FileAccess::ReadWrite, qm::FileShare::Read, qm::FileCreate::OpenExisting);
  if (!history) return 1;

  qm::AdapterList list;
  for (int a = 0; a < kAdapters; ++a) {
    qm::AdapterRecord r = a < 2 ? qm::MakePseudoAdapter(a == 0 ? qm::kKindAllConnections : qm::kKindDialUp)
                                : qm::AdapterRecord{};
    if (a >= 2) {
      r.kind = qm::kKindAdapter;
      r.id = AdapterId(a);
      r.displayName = "eth" + std::to_string(a);
    }
    r.todayDownload = 123456;
    list.Append(std::move(r));
  }
  qm::ReportsWindowState state;
  state.history = history.get();
  state.adapters = &list;
  state.historyPath = path;
  state.pageIndex = page;

  WNDCLASSA wc{};
  wc.lpfnWndProc = Clock;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "QuellmarkBenchClock";
  RegisterClassA(&wc);
  HWND clock = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  // The page is filled while the window is made: the message comes after.
  PostMessageA(clock, WM_APP, 0, 0);
  run.asked = Now();
  qm::CSummarySheet sheet(GetModuleHandleA(nullptr), state);
  sheet.Run(nullptr);
  std::printf("rows=%d\n", kAdapters * days);
  DestroyWindow(clock);
  history.reset();
  DeleteFileA(path.c_str());
  return 0;
}
