#include "meter/help_page.h"

namespace qm {
namespace {

struct TitledPage {
  std::string_view title;  // a title ending in " - " names the titles that begin with it
  std::string_view page;
};

constexpr TitledPage kWindows[] = {
    {"About Quellmark", "about_box.html"},
    {"Traffic Reports - ", "traffic_reports.html"},
    {"Stopwatch", "stopwatch.html"},
    {"Traffic Rates Recorder", "rates_recorder.html"},
    {"Notification - Quellmark", "alert_window.html"},
    {"Email Settings", "email_settings.html"},
};

constexpr std::string_view kOptionsTitle = "Quellmark Options";
constexpr TitledPage kOptionPages[] = {
    {"General", "options_general.html"},     {"Graph & Text", "options_graph_text.html"},
    {"Adapters", "options_adapters.html"},   {"Notification", "options_notification.html"},
    {"Service", "options_service.html"},
};

// A tab's text as it is shown: "&&" is one "&", a lone "&" marks the
// mnemonic and is not shown.
std::string Shown(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return out;
}

bool Matches(std::string_view title, std::string_view pattern) {
  if (pattern.ends_with(" - ")) return title.starts_with(pattern);
  return title == pattern;
}

}  // namespace

std::string HelpPageFor(std::string_view windowTitle, std::string_view tabText) {
  if (windowTitle == kOptionsTitle) {
    const std::string tab = Shown(tabText);
    for (const auto& p : kOptionPages)
      if (tab == p.title) return std::string(p.page);
    return "options.html";
  }
  for (const auto& w : kWindows)
    if (Matches(windowTitle, w.title)) return std::string(w.page);
  return "";
}

}  // namespace qm
