#include "service/worker.h"

#include "service/service_config.h"
#include "settings/service_settings.h"

namespace qm {
namespace {

class ServiceWorker {
 public:
  explicit ServiceWorker(WorkerSeams& seams) : s_(seams) {}

  bool SetUp() {
    config_ = ReadServiceConfig(s_.store, RegRoot::LocalMachine);
    if (!config_.ServiceEnabled) {
      s_.log.Write(kLogNotEnabled);
      return false;
    }
    LoadServiceSettings(s_.store, RegRoot::LocalMachine, s_.serviceFolder, settings_);
    if (!config_.NotificationsInService()) settings_.NotificationEnabled = false;
    s_.log.Printf(kLogTrafficFile, settings_.TrafficLogFile.c_str());
    return true;
  }

  void Tick() {}

  void End() {}

 private:
  WorkerSeams& s_;
  ServiceConfig config_;
  ServiceSettings settings_;
};

}  // namespace

void RunServiceWorker(WorkerSeams& seams) {
  if (!seams.ipSupport) {
    seams.log.Write(kLogNoIpSupport);
    return;
  }
  ServiceWorker worker(seams);
  if (!worker.SetUp()) {
    seams.log.Write(kLogSetupFailed);
    worker.End();
    return;
  }
  seams.log.Write(kLogRunning);
  while (!seams.waitForStop(1000)) worker.Tick();
  worker.End();
}

}  // namespace qm
