// Opens the desktop program's Email Settings dialog on the e-mail settings
// of the current user, as the Notification page does, and saves what it
// closes with on OK; exits 0 on OK and 1 on Cancel. The e2e script works
// the dialog from outside with the test driver.

#include <windows.h>
#include <commctrl.h>

#include "notify/win32/email_settings_dialog.h"
#include "platform/win32/registry_settings_store.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  qm::RegistrySettingsStore store;
  qm::EmailSettings settings;
  qm::LoadEmailSettings(store, qm::RegRoot::CurrentUser, settings);
  qm::EmailSettingsDialog dialog(settings);
  if (!dialog.Edit(instance, nullptr)) return 1;
  return qm::SaveEmailSettings(store, qm::RegRoot::CurrentUser, dialog.settings()) ? 0 : 2;
}
