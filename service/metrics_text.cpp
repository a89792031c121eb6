#include "service/metrics_text.h"

#include "platform/utf8.h"

namespace qm {
namespace {

struct Family {
  const char* name;
  const char* type;
  const char* help;
  uint64_t (*value)(const AdapterMetrics&);
};

constexpr Family kFamilies[] = {
    {"quellmark_received_bytes_total", "counter", "Bytes received since the service started.",
     [](const AdapterMetrics& a) { return a.received; }},
    {"quellmark_sent_bytes_total", "counter", "Bytes sent since the service started.",
     [](const AdapterMetrics& a) { return a.sent; }},
    {"quellmark_today_received_bytes", "gauge", "Bytes received today (local time), as the history file has them.",
     [](const AdapterMetrics& a) { return a.todayReceived; }},
    {"quellmark_today_sent_bytes", "gauge", "Bytes sent today (local time), as the history file has them.",
     [](const AdapterMetrics& a) { return a.todaySent; }},
    {"quellmark_receive_rate_bytes_per_second", "gauge", "Bytes received in the last second.",
     [](const AdapterMetrics& a) { return uint64_t(a.receiveRate); }},
    {"quellmark_send_rate_bytes_per_second", "gauge", "Bytes sent in the last second.",
     [](const AdapterMetrics& a) { return uint64_t(a.sendRate); }},
};

std::string Labels(const AdapterMetrics& a) {
  return "{kind=\"" + std::to_string(a.kind) + "\",id=\"" + LabelValue(a.id) + "\",name=\"" + LabelValue(a.name) +
         "\"}";
}

}  // namespace

std::string LabelValue(const std::string& text) {
  std::string out;
  for (char c : ValidUtf8(text)) {
    if (c == '\\') out += "\\\\";
    else if (c == '"') out += "\\\"";
    else if (c == '\n') out += "\\n";
    else out += c;
  }
  return out;
}

std::string MetricsText(const MetricsSnapshot& snapshot) {
  std::string out;
  out.reserve(512 + snapshot.adapters.size() * 6 * 160);
  for (const Family& f : kFamilies) {
    out += std::string("# HELP ") + f.name + " " + f.help + "\n# TYPE " + f.name + " " + f.type + "\n";
    for (const AdapterMetrics& a : snapshot.adapters)
      out += f.name + Labels(a) + " " + std::to_string(f.value(a)) + "\n";
  }
  out += "# HELP quellmark_service_start_time_seconds Start of the service, seconds since 1970-01-01 UTC.\n"
         "# TYPE quellmark_service_start_time_seconds gauge\n"
         "quellmark_service_start_time_seconds " + std::to_string(snapshot.startTime) + "\n";
  return out;
}

}  // namespace qm
