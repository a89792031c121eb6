#include "reports/report_json.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

// Names come from the command line and IDs from the history file, in any
// code page: whatever the bytes, the string is valid JSON.
TEST(ReportJson, StringsAreAlwaysValidJson) {
  const std::string kReplacement = "\xEF\xBF\xBD";
  const struct {
    std::string text, json;
  } cases[] = {
      {"LAN <eth0> & \"Home\"", "\"LAN <eth0> & \\\"Home\\\"\""},
      {"C:\\Reports", "\"C:\\\\Reports\""},
      {std::string("tab\tnew\nnul\0end", 15), "\"tab\\u0009new\\u000anul\\u0000end\""},
      {"\x7f", "\"\\u007f\""},
      {"B\xC3\xBCro \xE2\x82\xAC \xF0\x9F\x93\xB6", "\"B\xC3\xBCro \xE2\x82\xAC \xF0\x9F\x93\xB6\""},  // UTF-8 stays
      // Bytes that are not UTF-8 become U+FFFD, one each.
      {"B\xFCro", "\"B" + kReplacement + "ro\""},                  // a Latin-1 byte
      {"\xC3", "\"" + kReplacement + "\""},                            // cut short
      {"\xC0\xAF", "\"" + kReplacement + kReplacement + "\""},         // overlong
      {"\xED\xA0\x80", "\"" + kReplacement + kReplacement + kReplacement + "\""},  // a surrogate
      {"\xF4\x90\x80\x80", "\"" + kReplacement + kReplacement + kReplacement + kReplacement + "\""},  // past U+10FFFF
  };
  for (const auto& c : cases) EXPECT_EQ(JsonString(c.text), c.json) << c.json;
}

}  // namespace
}  // namespace qm
