#include "engine/traffic_engine.h"

#include <algorithm>
#include <limits>

#include "format/amount.h"
#include "format/dates.h"
#include "platform/ascii_case.h"

namespace qm {
namespace {

constexpr uint64_t kMax32 = std::numeric_limits<uint32_t>::max();

uint32_t Clamp32(uint64_t v) { return uint32_t(std::min(v, kMax32)); }

// The service drops a tick's traffic when its time is more than this far
// from the previous tick's: the machine slept or the clock was set.
constexpr int64_t kServiceMaxGapMs = 10'000;

}  // namespace

uint64_t CounterDifference(bool hasPrevious, bool previousWide, uint64_t previous, bool wide, uint64_t current) {
  // A reading of another width (64-bit counters failing, or coming back) is
  // not comparable: the difference would be a phantom burst of up to 4 GiB.
  if (!hasPrevious || previousWide != wide || current < previous) return 0;
  return current - previous;
}

int64_t LocalMilliseconds(const LocalTime& t) {
  const int64_t seconds = (DayNumber(t.year, t.month, t.day) - DayNumber(1601, 1, 1)) * 86400 +
                          int64_t(t.hour) * 3600 + int64_t(t.minute) * 60 + t.second;
  return seconds * 1000 + t.milliseconds;
}

TrafficEngine::TrafficEngine(EngineVariant variant, AdapterSource& source, SettingsStore& store, FileSystem& fs,
                             Clock& clock)
    : variant_(variant), source_(source), store_(store), clock_(clock), history_(fs) {
  if (variant_ == EngineVariant::Service) options_.trayIcon = false;
  currentDay_ = clock_.Now();
}

bool TrafficEngine::LoadAdapterList() {
  currentDay_ = clock_.Now();
  listRead_ = false;
  return qm::LoadAdapterList(list_, store_, root(), variant_, source_);
}

bool TrafficEngine::OpenHistoryFile(const std::string& path, bool configured) {
  historyPath_ = path;
  if (!history_.Open(path)) return false;
  if (history_.createdEmpty() && !configured && variant_ == EngineVariant::Desktop) {
    history_.ImportLegacyLog(LegacyLogPath(path), source_);
  }
  LoadDayTotals();
  return true;
}

bool TrafficEngine::ChangeHistoryPath(const std::string& path) {
  if (path.empty() || AsciiEqualNoCase(path, historyPath_)) return false;
  historyPath_ = path;
  store_.WriteString(RegRoot::CurrentUser, kOptionsKey, kTrafficLogFileValue, path);
  return true;
}

bool TrafficEngine::IsTrayAdapter(const AdapterRecord& r) const {
  return r.kind == options_.trayKind && (r.IsPseudo() || r.id == options_.trayId);
}

bool TrafficEngine::FlushDayRecords() {
  const bool ok = history_.FlushDayRecords(list_, currentDay_);
  if (ok != !flushFailing_) {
    if (ok)
      listener_->HistoryWritten(history_.path());
    else
      listener_->HistoryWriteFailed(history_.path(), history_.lastError());
  }
  flushFailing_ = !ok;
  return ok;
}

void TrafficEngine::UpdateDay(const LocalTime& now, bool deliver) {
  const LocalTime& day = currentDay_;
  const bool sameDate = now.year == day.year && now.month == day.month && now.day == day.day;
  if (sameDate && now.hour == day.hour && now.minute / 4 == day.minute / 4) {
    currentDay_ = now;
    return;
  }
  // The records still carry the stored date: these totals belong to it.
  // When they cannot be written, the day's records wait in memory for the
  // next flush instead of being replaced by the new day's.
  const bool written = FlushDayRecords();
  if (!written && !sameDate) history_.KeepUnwritten(list_, currentDay_);
  currentDay_ = now;
  if (sameDate) return;
  LoadDayTotals();
  if (deliver && options_.notificationEnabled) listener_->PrepareNotification();
}

RateSample TrafficEngine::CountSample(AdapterRecord& r, uint64_t download, uint64_t upload) {
  RateSample s;
  s.download = Clamp32(download);
  s.upload = Clamp32(upload);
  r.cumulativeDownload += download;
  r.cumulativeUpload += upload;
  if (variant_ == EngineVariant::Service) {
    // The service draws nothing: the newest sample is kept for its
    // metrics endpoint, with the totals above.
    r.history.clear();
    r.history.push_front(s);
    ++r.samplesAdded;
    return s;
  }
  ++r.sampleCount;
  s.averageDownload = Clamp32(r.cumulativeDownload / r.sampleCount);
  s.averageUpload = Clamp32(r.cumulativeUpload / r.sampleCount);
  // Room for the limit and the one sample above it at once: the history
  // then never grows again.
  r.history.reserve(options_.historyLimit + 1);
  r.history.push_front(s);
  ++r.samplesAdded;
  while (r.history.size() > options_.historyLimit) r.history.pop_back();
  return s;
}

void TrafficEngine::Deliver(AdapterRecord& r, const RateSample& sample, const LocalTime& now, bool addressChanged) {
  if (variant_ == EngineVariant::Desktop && r.HasView()) {
    listener_->AddSample(r, sample);
    if (addressChanged && options_.showIpInTitle) listener_->SetTitle(r, AdapterTitle(r, true));
  }
  if (options_.trayIcon && IsTrayAdapter(r)) listener_->RefreshTrayIcon(r);
  const bool records = variant_ == EngineVariant::Desktop ? r.RecorderOpen() : r.recordRates != 0;
  if (records) listener_->WriteRatesLine(r, sample, now);
}

void TrafficEngine::SampleTick() { Sample(true); }

void TrafficEngine::CountLastTraffic() { Sample(false); }

void TrafficEngine::Sample(bool deliver) {
  const LocalTime now = clock_.Now();
  if (variant_ == EngineVariant::Service) {
    const int64_t gap = LocalMilliseconds(now) - LocalMilliseconds(currentDay_);
    if (gap > kServiceMaxGapMs || gap < -kServiceMaxGapMs) {
      for (size_t i = 0; i < list_.size(); ++i) list_[i].hasPreviousSample = false;
    }
  }
  UpdateDay(now, deliver);

  for (size_t i = AdapterList::kFirstReal; i < list_.size(); ++i) list_[i].seenThisTick = false;
  bool haveTable = false;
  if (!ReadSystemState(haveTable)) return;

  uint64_t allDown = 0, allUp = 0, dialDown = 0, dialUp = 0;
  for (size_t k = 0; k < entries_.size(); ++k) {
    const SystemAdapter& entry = entries_[k];
    ListedAdapter& listed = listed_[k];
    InterfaceCounters c;
    if (!ReadEntryCounters(entry.index, listed, haveTable, c)) continue;
    AdapterRecord* r = listed.record ? listed.record : list_.FindReal(entry.name);
    if (!r) {
      if (!deliver) continue;  // no next tick to count it from
      // Counted from the next tick on; seen, so that it is not taken for a
      // vanished adapter below.
      AdapterRecord& added = AddSystemAdapter(list_, entry, c);
      added.seenThisTick = true;
      listed.record = &added;
      // It may have counted earlier today, before a restart that found it
      // absent (the service keeps no adapter keys): its day goes on in the
      // record already written, not in a second one.
      history_.LoadDayTotals(list_, currentDay_, list_.size() - 1);
      if (variant_ == EngineVariant::Desktop) list_.AssignMenuCommands(added);
      listener_->AdapterAdded(added);
      continue;
    }
    listed.record = r;
    if (r->seenThisTick) continue;  // the same ID reported twice
    r->seenThisTick = true;

    const uint64_t down = CounterDifference(r->hasPreviousSample, r->previousWide, r->previousIn, c.wide, c.received);
    const uint64_t up = CounterDifference(r->hasPreviousSample, r->previousWide, r->previousOut, c.wide, c.sent);
    allDown += down;
    allUp += up;
    if (IsDialUpType(c.type)) {
      dialDown += down;
      dialUp += up;
    }
    r->hasPreviousSample = true;
    r->previousIn = c.received;
    r->previousOut = c.sent;
    r->previousWide = c.wide;
    r->interfaceType = c.type;
    // A day record of absurd totals read from the file stays at the top
    // instead of wrapping round to a small one.
    r->todayDownload = AddSaturated(r->todayDownload, down);
    r->todayUpload = AddSaturated(r->todayUpload, up);
    if (!deliver) continue;

    const RateSample s = CountSample(*r, down, up);
    const bool changed = listed.firstIp != r->ipAddress;
    if (changed) r->ipAddress = listed.firstIp;
    Deliver(*r, s, now, changed);
  }

  for (size_t i = AdapterList::kFirstReal; deliver && i < list_.size(); ++i) {
    AdapterRecord& r = list_[i];
    if (r.seenThisTick) continue;
    r.hasPreviousSample = false;
    const RateSample s = CountSample(r, 0, 0);
    const bool changed = !r.ipAddress.empty();
    r.ipAddress.clear();
    Deliver(r, s, now, changed);
  }

  struct Sum {
    size_t index;
    uint64_t down, up;
  };
  for (const Sum& sum : {Sum{0, allDown, allUp}, Sum{1, dialDown, dialUp}}) {
    if (sum.index >= list_.size()) break;
    AdapterRecord& r = list_[sum.index];
    r.todayDownload = AddSaturated(r.todayDownload, sum.down);
    r.todayUpload = AddSaturated(r.todayUpload, sum.up);
    if (deliver) Deliver(r, CountSample(r, sum.down, sum.up), now, false);
  }
  if (!deliver) return;

  if (options_.notificationEnabled) listener_->EvaluateNotification();
  if (variant_ == EngineVariant::Service) listener_->AdvanceReportTasks();
}

bool TrafficEngine::ReadSystemState(bool& haveTable) {
  haveTable = source_.ReadCounterTable(table_);
  // Asked every tick: the source compares with what it saw the tick before.
  const bool changed = source_.AdaptersMayHaveChanged();
  if (list_.generation() != listGeneration_) {
    listGeneration_ = list_.generation();
    listRead_ = false;
  }
  if (listRead_ && haveTable && !changed && ++ticksSinceListRead_ < kListSafetyTicks) return true;
  listRead_ = false;
  if (!source_.ListAdapters(entries_)) return false;
  listed_.resize(entries_.size());
  for (size_t k = 0; k < entries_.size(); ++k) {
    MakeAdapterId(entries_[k]);
    listed_[k].record = nullptr;  // found again: the IDs may be others now
    listed_[k].firstIp = FirstIpAddress(entries_[k]);
  }
  listRead_ = true;
  ticksSinceListRead_ = 0;
  return true;
}

bool TrafficEngine::ReadEntryCounters(uint32_t index, ListedAdapter& listed, bool haveTable,
                                      InterfaceCounters& out) {
  if (haveTable) {
    // The table keeps its order from tick to tick: the row of the last
    // tick is nearly always the one.
    if (listed.row >= table_.size() || table_[listed.row].index != index) {
      for (size_t i = 0; i < table_.size(); ++i) {
        if (table_[i].index != index) continue;
        listed.row = i;
        break;
      }
    }
    if (listed.row < table_.size() && table_[listed.row].index == index) {
      out = table_[listed.row].counters;
      return true;
    }
  }
  return source_.ReadCounters(index, out);
}

void TrafficEngine::ResetRecord(AdapterRecord& r) {
  r.history.clear();
  r.cumulativeDownload = r.cumulativeUpload = r.sampleCount = 0;
  if (r.HasView()) listener_->Relayout(r);
}

void TrafficEngine::ResetRates() {
  for (size_t i = 0; i < list_.size(); ++i) ResetRecord(list_[i]);
}

bool TrafficEngine::ResetRates(uint32_t command) {
  AdapterRecord* r = list_.FindByResetCommand(command);
  if (!r) return false;
  ResetRecord(*r);
  return true;
}

void TrafficEngine::Suspend() {
  // The machine may never wake (a battery that runs out while it sleeps):
  // the day up to this moment is written first.
  CountLastTraffic();
  FlushDayRecords();
  for (size_t i = 0; i < list_.size(); ++i) list_[i].hasPreviousSample = false;
}

}  // namespace qm
