// QuellmarkService.exe: with "/install" or "/uninstall" it installs or
// removes itself; started by the service control manager without arguments
// it runs the worker until it is stopped. Everything it does goes to the
// activity log beside the program; it never shows a window.

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>

#include "platform/clock.h"
#include "service/activity_log.h"
#include "service/command_line.h"
#include "platform/win32/key_security.h"
#include "platform/win32/unique_handle.h"
#include "service/win32/service_control.h"
#include "service/win32/service_worker_thread.h"
#include "settings/registry_layout.h"

namespace qm {
namespace {

// Event A marks a running service process and is set by the worker when it
// has finished; event B asks the worker to stop.
constexpr char kRunningEventName[] = "QLM8888BE6A7AA84BF392750CD1C9EB4018A";
constexpr char kStopEventName[] = "QLM8888BE6A7AA84BF392750CD1C9EB4018B";

// How long a stop may take once asked for: the worker's final flush and
// its short wait for report jobs fit well within it.
constexpr DWORD kStopGraceMs = 5000;

ActivityLog* g_log = nullptr;
// Report jobs still running when the worker ended (one hanging on its
// report path): the process then must not run its exit code under them.
std::atomic<size_t> g_jobsLeft{0};
std::string g_folder;
SERVICE_STATUS_HANDLE g_statusHandle = nullptr;
SERVICE_STATUS g_status{};
KernelHandle g_runningEvent;
KernelHandle g_stopEvent;

std::string ProgramPath() {
  char path[MAX_PATH * 2] = {};
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  return std::string(path, n < sizeof path ? n : 0);
}

bool ReportStatus(DWORD state, DWORD checkpoint = 0, DWORD waitHint = 0) {
  g_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  g_status.dwCurrentState = state;
  g_status.dwControlsAccepted = state == SERVICE_START_PENDING ? 0 : SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN;
  g_status.dwWin32ExitCode = NO_ERROR;
  g_status.dwServiceSpecificExitCode = 0;
  g_status.dwCheckPoint = checkpoint;
  g_status.dwWaitHint = waitHint;
  return SetServiceStatus(g_statusHandle, &g_status) != 0;
}

// The worker runs on the service manager's thread for ServiceMain rather
// than a thread of its own: under Wine every thread the program starts
// costs about 1 MB resident. Set once the worker may be asked to stop;
// g_workerEnded (unnamed, kept to the end) is set when it has returned.
std::atomic<bool> g_workerStarted{false};
KernelHandle g_workerEnded;

// A stop is asked for (event B); the handler then waits for the worker on
// the dispatcher's thread, for a bounded time only: a worker that has not
// ended by then is stuck, and the process ends hard, as nothing it holds
// can be trusted to let go.
void WINAPI ControlHandler(DWORD control) {
  if (control == SERVICE_CONTROL_STOP || control == SERVICE_CONTROL_SHUTDOWN) {
    ReportStatus(SERVICE_STOP_PENDING, 1, 3000);
    SetEvent(g_stopEvent.Get());
    if (!g_workerStarted || WaitForSingleObject(g_workerEnded.Get(), kStopGraceMs) == WAIT_OBJECT_0) return;
    g_log->Printf("Err: the worker did not end within %lu ms of the stop request.", kStopGraceMs);
    ReportStatus(SERVICE_STOPPED);
    TerminateProcess(GetCurrentProcess(), 1);
    return;
  }
  SetServiceStatus(g_statusHandle, &g_status);
}

void RunWorker() {
  // The worker opens both events by name, as any later part of the process
  // could; they exist already, so this only takes new handles.
  KernelHandle stop(CreateEventA(nullptr, TRUE, FALSE, kStopEventName));
  KernelHandle running(CreateEventA(nullptr, TRUE, FALSE, kRunningEventName));
  g_jobsLeft = RunWorkerOnThisThread(*g_log, g_folder, stop.Get());
  if (running) SetEvent(running.Get());
}

void WINAPI ServiceMain(DWORD, LPSTR*) {
  g_statusHandle = RegisterServiceCtrlHandlerA(kServiceName, ControlHandler);
  if (!g_statusHandle) {
    g_log->Write("Err: 0x00001010");
    return;
  }
  g_stopEvent.Reset(CreateEventA(nullptr, TRUE, FALSE, kStopEventName));
  if (!g_stopEvent || !g_workerEnded) {
    g_log->Write("Err: 0x00001012");
    return;
  }
  ReportStatus(SERVICE_START_PENDING, 1, 3000);
  g_workerStarted = true;
  // Without the service manager's ear the worker could never be stopped.
  if (ReportStatus(SERVICE_RUNNING)) RunWorker();
  else g_log->Write("Err: 0x00001011");
  SetEvent(g_workerEnded.Get());
  g_stopEvent.Reset();
  g_runningEvent.Reset();
  ReportStatus(SERVICE_STOPPED);
}

void RunServiceMode() {
  g_runningEvent.Reset(CreateEventA(nullptr, TRUE, FALSE, kRunningEventName));
  if (!g_runningEvent || GetLastError() == ERROR_ALREADY_EXISTS) {
    g_log->Write("Err: service is running.");
    g_runningEvent.Reset();
    return;
  }
  g_workerEnded.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  char name[sizeof kServiceName];
  memcpy(name, kServiceName, sizeof name);
  SERVICE_TABLE_ENTRYA table[] = {{name, ServiceMain}, {nullptr, nullptr}};
  StartServiceCtrlDispatcherA(table);
}

// The mail password lies in the machine-wide settings, which every local
// user could otherwise read; the service itself runs as SYSTEM.
bool Install(const std::string& path, std::string& reason) {
  return RestrictMachineKeyToAdministrators(kEmailSettingsKey, reason) && InstallService(path, reason);
}

// The prompt goes out at once, so that it stands while the step runs. A
// failure says why on a second line and ends the process with status 1,
// so that scripts see it.
template <typename Step>
int PrintOutcome(const char* prompt, Step step) {
  std::fputs(prompt, stdout);
  std::fflush(stdout);
  std::string reason;
  if (step(reason)) {
    std::fputs("success\n", stdout);
    return 0;
  }
  std::fputs("failure\n", stdout);
  std::fputs((reason + "\n").c_str(), stdout);
  return 1;
}

}  // namespace

int ServiceProgramMain(int argc, char** argv) {
  std::string path = ProgramPath();
  g_folder = path.substr(0, path.find_last_of('\\') + 1);
  // Report jobs and mail threads may still write while the process ends;
  // the log therefore outlives main (closed, it drops their lines).
  static ActivityLog* const logger = new ActivityLog(SystemClock());
  ActivityLog& log = *logger;
  g_log = logger;
  log.Open(g_folder + kActivityLogName);
  log.Printf("%s start up...", kServiceDisplayName);
  int exitCode = 0;
  switch (ParseServiceCommand(argc, argv)) {
    case ServiceCommand::Run:
      RunServiceMode();
      break;
    case ServiceCommand::Install:
      exitCode = PrintOutcome(kInstallPrompt, [&path](std::string& reason) { return Install(path, reason); });
      break;
    case ServiceCommand::Uninstall:
      exitCode = PrintOutcome(kUninstallPrompt, [](std::string& reason) { return UninstallService(reason); });
      break;
    case ServiceCommand::Help:
      std::fputs(kServiceUsage, stdout);
      break;
    case ServiceCommand::Invalid:
      std::fputs(kInvalidParameters, stdout);
      exitCode = 2;
      break;
  }
  std::fflush(stdout);
  log.Printf("%s stopped.\n", kServiceDisplayName);
  // Returning would destroy the objects that a job still running uses (its
  // log lines came out garbled, and the process could hang on its way out
  // while a new instance started): end at once instead. Everything worth
  // keeping is written: the history was flushed and closed, log lines are
  // flushed as they are written.
  if (g_jobsLeft) TerminateProcess(GetCurrentProcess(), 0);
  log.Close();
  return exitCode;
}

}  // namespace qm

int main(int argc, char** argv) { return qm::ServiceProgramMain(argc, argv); }
