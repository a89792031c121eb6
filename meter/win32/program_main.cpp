// The desktop program's entry: one instance per user session, the IP
// support check, then the meter window until it ends.

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdlib>
#include <ctime>
#include <memory>

#include "meter/win32/meter_window.h"
#include "meter/win32/resource.h"
#include "notify/beep_player.h"
#include "platform/win32/registry_settings_store.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_adapter_source.h"
#include "settings/options.h"

namespace {

constexpr char kInstanceMutex[] = "QUELLMARKE2EB56D9751D4CAEA9BD5F2BA9C4F668";
constexpr char kStartFailed[] = "Failed to initialize! Quellmark will exit.";
constexpr char kSupportLine[] = "Please report this to support@quellmark.example.";

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  qm::RegistrySettingsStore store;

  // 1. A running instance is shown instead. The mutex stays open until the
  // process ends: its existence marks a running instance.
  qm::KernelHandle mutex(CreateMutexA(nullptr, FALSE, kInstanceMutex));
  if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
    uint32_t handle = 0;
    if (qm::ReadMainWindowHandle(store, qm::RegRoot::CurrentUser, handle) && handle != 0) {
      DWORD_PTR ignored = 0;
      SendMessageTimeoutA(reinterpret_cast<HWND>(uintptr_t(handle)), WM_COMMAND, ID_SHOW, 0, SMTO_ABORTIFHUNG,
                          10000, &ignored);
      return 0;
    }
  }

  // 2.-3. Random seed, common controls, COM.
  std::srand(unsigned(std::time(nullptr)) * unsigned(GetTickCount()));
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  const bool com = SUCCEEDED(CoInitialize(nullptr));
  qm::SetProcessBeepFunctions([](uint32_t frequency, uint32_t duration) { Beep(frequency, duration); },
                              [](uint32_t duration) { Sleep(duration); });

  // 4. The IP support functions.
  std::unique_ptr<qm::AdapterSource> adapters = qm::OpenSystemAdapterSource();
  if (!adapters) {
    const std::string text = std::string(kStartFailed) + "\n\n" + kSupportLine;
    MessageBoxA(nullptr, text.c_str(), "Quellmark", MB_OK | MB_ICONWARNING);
  } else {
    // 5. The meter window, until it ends.
    qm::MeterWindow window(instance, *adapters, store);
    window.Run();
  }
  if (com) CoUninitialize();
  return 0;
}
