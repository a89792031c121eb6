#include "meter/help_page.h"

#include <gtest/gtest.h>

#include <fstream>

namespace qm {
namespace {

const struct {
  const char* title;
  const char* tab;
  const char* page;
} kCases[] = {
    {"Quellmark", "", ""},
    {"About Quellmark", "", "about_box.html"},
    {"Traffic Reports - [All Connections]", "Daily Report", "traffic_reports.html"},
    {"Traffic Reports", "", ""},  // only the window's own title form
    {"Stopwatch", "", "stopwatch.html"},
    {"Traffic Rates Recorder", "", "rates_recorder.html"},
    {"Notification - Quellmark", "", "alert_window.html"},
    {"Email Settings", "", "email_settings.html"},
    {"Quellmark Options", "General", "options_general.html"},
    {"Quellmark Options", "Graph && Text", "options_graph_text.html"},
    {"Quellmark Options", "Adapters", "options_adapters.html"},
    {"Quellmark Options", "Notification", "options_notification.html"},
    {"Quellmark Options", "Service", "options_service.html"},
    {"Quellmark Options", "", "options.html"},
    {"Stopwatch - copy", "", ""},
    {"Save As", "", ""},
};

TEST(HelpPageFor, GivesEveryWindowItsPage) {
  for (const auto& c : kCases) EXPECT_EQ(HelpPageFor(c.title, c.tab), c.page) << c.title << " / " << c.tab;
}

// A page renamed in the help without the table following it would leave F1
// on an error page.
TEST(HelpPageFor, NamesOnlyPagesTheHelpHas) {
  for (const auto& c : kCases) {
    if (!*c.page) continue;
    std::ifstream page(std::string(QM_HELP_PAGES) + "/" + c.page);
    EXPECT_TRUE(page.good()) << c.page;
  }
}

}  // namespace
}  // namespace qm
