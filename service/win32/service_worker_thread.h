#pragma once
// The worker thread's body in the real system: registry, adapters through
// the IP support library, system clock and files, the stop event.

#include <windows.h>

#include <string>

#include "service/activity_log.h"

namespace qm {

// Returns the number of report jobs still running when the worker ended.
size_t RunWorkerOnThisThread(ActivityLog& log, const std::string& serviceFolder, HANDLE stopEvent);

}  // namespace qm
