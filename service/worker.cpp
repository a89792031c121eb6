#include "service/worker.h"

#include <chrono>
#include <memory>
#include <vector>

#include "engine/traffic_engine.h"
#include "format/dates.h"
#include "notify/notification_mail.h"
#include "notify/notification_monitor.h"
#include "notify/smtp_client.h"
#include "recorder/adapter_rates_log.h"
#include "reports/report_file.h"
#include "reports/report_kind.h"
#include "service/metrics_server.h"
#include "service/report_jobs.h"
#include "service/service_config.h"
#include "settings/service_settings.h"

namespace qm {
namespace {

Date DateOf(const LocalTime& t) { return MakeDate(t.year, t.month, t.day); }

// What a report job takes of one adapter record.
struct JobAdapter {
  int32_t kind;
  std::string id;
  std::string displayName;
  Traffic today;
};

// Everything one report run needs, copied when the task falls due, so the
// job shares nothing with the worker.
struct ReportJob {
  ReportTask task;
  std::vector<JobAdapter> adapters;
  ReportParams params;
  Date today;
  std::string historyPath;
  std::string reportPath;
};

void RunReportJob(const ReportJob& job, FileSystem& fs, ActivityLog& log) {
  const std::string taskId = ReportTaskAdapterId(job.task);
  for (const JobAdapter& a : job.adapters) {
    if (a.kind != job.task.adapterKind || (a.kind == kKindAdapter && a.id != taskId)) continue;
    ReportRequest request;
    request.kind = ReportKindFromNumber(job.task.reportType);
    request.subject = ReportSubject{a.kind, a.id};
    request.subjectName = a.displayName;
    request.today = job.today;
    request.live = a.today;
    request.params = job.params;
    request.variant = ReportVariant::Service;
    ReportFileOutcome outcome = WriteReportFile(fs, job.historyPath, job.reportPath, request);
    log.Write(outcome.message);
    return;
  }
  // A task for an adapter that is not in the list writes and logs nothing.
}

class ServiceWorker : public TickListener, public ServiceNotificationOwner {
 public:
  explicit ServiceWorker(WorkerSeams& seams)
      : s_(seams), engine_(EngineVariant::Service, seams.adapters, seams.store, seams.fs, seams.clock),
        notification_(*this) {}

  // Set-up; false when the service must not run (logged by the caller).
  bool SetUp() {
    config_ = ReadServiceConfig(s_.store, RegRoot::LocalMachine);
    if (!config_.ServiceEnabled) {
      s_.log.Write(kLogNotEnabled);
      return false;
    }
    if (!config_.reportsStopped.empty()) s_.log.Write(config_.reportsStopped);
    LoadServiceSettings(s_.store, RegRoot::LocalMachine, s_.serviceFolder, settings_);
    if (!config_.NotificationsInService()) settings_.NotificationEnabled = false;
    rule_ = NarrowNotificationRule(settings_.NotificationEx2U);
    calendar_ = RuleCalendar{int(settings_.WeekStartDay), int(settings_.MonthStartDay), settings_.DateFormat};
    recorderOptions_ = RatesLogOptions{settings_.DisplayUnitByte, settings_.ShowIPInTitle, settings_.DateFormat};

    // A system list that cannot be read now leaves the stored adapters and
    // the two sums; the ticks pick the adapters up once the system has them.
    engine_.LoadAdapterList();
    engine_.options().showIpInTitle = settings_.ShowIPInTitle;
    engine_.options().notificationEnabled = settings_.NotificationEnabled;
    engine_.set_listener(this);
    StartServiceRecorders(engine_.adapters(), s_.fs, config_.RecorderInService(), recorderOptions_, s_.clock.Now());

    s_.log.Printf(kLogTrafficFile, settings_.TrafficLogFile.c_str());
    if (!engine_.OpenHistoryFile(settings_.TrafficLogFile, true)) {
      s_.log.Write(kLogTrafficFileFailed);
      return false;
    }
    if (const std::string& aside = engine_.history().movedAsidePath(); !aside.empty())
      s_.log.Printf(kLogHistoryMovedAside, settings_.TrafficLogFile.c_str(), aside.c_str());
    notification_.Start(settings_.NotificationEnabled, rule_);
    PrepareNotification();
    jobs_ = std::make_shared<ReportJobs>(config_.reports.size());
    skipping_.assign(config_.reports.size(), false);
    StartMetrics();
    return true;
  }

  void Tick() {
    engine_.SampleTick();
    if (metrics_) metrics_->Publish(Snapshot());
  }

  // Final flush; after a failed set-up only the release happens. Returns
  // the number of report jobs still running.
  size_t End() {
    metrics_.reset();
    if (engine_.history().IsOpen()) {
      // The last chance to write what is only in memory: one line when it
      // fails, whatever was logged before.
      engine_.set_listener(nullptr);
      engine_.CountLastTraffic();
      if (!engine_.FlushDayRecords())
        s_.log.Printf(kLogHistoryLost, engine_.history().path().c_str(), engine_.history().lastError().c_str());
      engine_.CloseHistoryFile();
    }
    CloseRatesLogs(engine_.adapters());
    engine_.adapters().Clear();
    // Jobs about to finish get to complete their files; one that hangs on
    // its report path never holds up the stop.
    if (!jobs_ || jobs_->WaitIdle(s_.jobStopWaitMs)) return 0;
    return jobs_->Running();
  }

  // TickListener
  // A line that cannot be written closes that record's file: logged once.
  void WriteRatesLine(AdapterRecord& record, const RateSample& sample, const LocalTime& time) override {
    if (qm::WriteRatesLine(record, sample, time, recorderOptions_)) return;
    s_.log.Printf(kLogRatesWriteFailed, record.recordFile.c_str(), LastFileErrorText().c_str(),
                  AdapterTitle(record, recorderOptions_.showIpInTitle).c_str());
  }
  void PrepareNotification() override {
    if (!notification_.on()) return;
    notification_.Prepare(DateOf(engine_.currentDay()), calendar_, engine_.history().file(), engine_.adapters());
  }
  void EvaluateNotification() override { notification_.Evaluate(); }
  void HistoryWriteFailed(const std::string& path, const std::string& reason) override {
    s_.log.Printf(kLogHistoryWriteFailed, path.c_str(), reason.c_str());
  }
  void HistoryWritten(const std::string& path) override { s_.log.Printf(kLogHistoryWritten, path.c_str()); }
  void AdvanceReportTasks() override {
    if (config_.reports.empty()) return;
    qm::AdvanceReportTasks(config_.reports,
                           [this](const ReportTask& task) { StartReportJob(size_t(&task - config_.reports.data())); });
  }

  // ServiceNotificationOwner
  void Log(const std::string& line) override { s_.log.Write(line); }
  void StartNotificationMail(uint64_t periodTotal) override {
    const AdapterRecord* adapter = notification_.prepared().adapter;
    NotificationMailInput in;
    in.settings = &settings_.email;
    in.rule = &rule_;
    in.adapterTitle = adapter ? AdapterTitle(*adapter, settings_.ShowIPInTitle) : std::string();
    in.calendar = calendar_;
    in.periodTotal = periodTotal;
    SmtpLimits limits;
    limits.port = s_.smtpPort;
    ActivityLog* log = &s_.log;
    // Incomplete e-mail settings send nothing and log nothing more.
    SendNotificationMail(in, s_.clock,
                         ServiceMailReport(FieldText(rule_.emailAddresses),
                                           [log](const std::string& line) { log->Write(line); }),
                         limits);
  }

 private:
  void StartReportJob(size_t index) {
    const ReportTask& task = config_.reports[index];
    const std::string reportPath =
        s_.toAnsiPath ? s_.toAnsiPath(ReportTaskFile(task)) : Utf16ToUtf8(ReportTaskFile(task));
    if (!jobs_->TryStart(index)) {
      if (!skipping_[index]) s_.log.Printf(kLogReportSkipped, reportPath.c_str());
      skipping_[index] = true;
      return;
    }
    auto job = std::make_shared<ReportJob>();
    job->task = task;
    AdapterList& list = engine_.adapters();
    for (size_t i = 0; i < list.size(); ++i) {
      const AdapterRecord& r = list[i];
      job->adapters.push_back(JobAdapter{r.kind, r.id, r.displayName, Traffic{r.todayDownload, r.todayUpload}});
    }
    job->params = ReportParams{settings_.DateFormat, int(settings_.WeekStartDay), int(settings_.MonthStartDay),
                               settings_.SumLastDays};
    job->today = DateOf(engine_.currentDay());
    job->historyPath = engine_.historyPath();
    job->reportPath = reportPath;
    FileSystem* fs = &s_.fs;
    ActivityLog* log = &s_.log;
    std::shared_ptr<ReportJobs> jobs = jobs_;
    auto run = [job, fs, log, jobs, index] {
      RunReportJob(*job, *fs, *log);
      jobs->Finish(index);
    };
    if (!s_.startThread) {
      run();
    } else if (!s_.startThread(run)) {
      jobs_->Finish(index);
      if (!skipping_[index]) s_.log.Printf(kLogReportThreadFailed, reportPath.c_str());
      skipping_[index] = true;
      return;
    }
    skipping_[index] = false;
  }

  // Off unless MetricsListen is set; a failure to listen is logged once and
  // the service counts on without it.
  void StartMetrics() {
    if (config_.MetricsListen.empty()) return;
    startTime_ = std::chrono::duration_cast<std::chrono::seconds>(
                     std::chrono::system_clock::now().time_since_epoch()).count();
    metrics_ = std::make_unique<MetricsServer>();
    std::string why;
    uint32_t address = 0;
    uint16_t port = 0;
    if (!ParseMetricsListen(config_.MetricsListen, address, port)) why = kMetricsListenExpected;
    if (!why.empty() || !metrics_->Start(config_.MetricsListen, why)) {
      s_.log.Printf(kLogMetricsFailed, config_.MetricsListen.c_str(), why.c_str());
      metrics_.reset();
      return;
    }
    s_.log.Printf(kLogMetricsListening, config_.MetricsListen.c_str());
    metrics_->Publish(Snapshot());
  }

  MetricsSnapshot Snapshot() {
    MetricsSnapshot snapshot;
    snapshot.startTime = startTime_;
    AdapterList& list = engine_.adapters();
    for (size_t i = 0; i < list.size(); ++i) {
      const AdapterRecord& r = list[i];
      AdapterMetrics a;
      a.kind = r.kind;
      a.id = r.id;
      a.name = r.displayName;
      a.received = r.cumulativeDownload;
      a.sent = r.cumulativeUpload;
      a.todayReceived = r.todayDownload;
      a.todaySent = r.todayUpload;
      if (!r.history.empty()) {
        a.receiveRate = r.history.front().download;
        a.sendRate = r.history.front().upload;
      }
      snapshot.adapters.push_back(std::move(a));
    }
    return snapshot;
  }

  WorkerSeams& s_;
  TrafficEngine engine_;
  ServiceConfig config_;
  ServiceSettings settings_;
  NotificationRule rule_{};
  RuleCalendar calendar_;
  RatesLogOptions recorderOptions_;
  ServiceNotification notification_;
  std::shared_ptr<ReportJobs> jobs_;
  std::vector<bool> skipping_;  // per task: a skip was logged and no run started since
  std::unique_ptr<MetricsServer> metrics_;
  int64_t startTime_ = 0;
};

}  // namespace

size_t RunServiceWorker(WorkerSeams& seams) {
  if (!seams.ipSupport) {
    seams.log.Write(kLogNoIpSupport);
    return 0;
  }
  ServiceWorker worker(seams);
  if (!worker.SetUp()) {
    seams.log.Write(kLogSetupFailed);
    worker.End();
    return 0;
  }
  seams.log.Write(kLogRunning);
  while (!seams.waitForStop(1000)) worker.Tick();
  return worker.End();
}

}  // namespace qm
