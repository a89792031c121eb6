#include "engine/adapter_argument.h"

#include <gtest/gtest.h>

#include <string>

namespace qm {
namespace {

constexpr char kGuid[] = "{0000000A-0000-0000-0000-4E6574446576}";

// Both command-line tools take every spelling: the words, the kind numbers,
// 300:ID and the ID alone.
TEST(AdapterArgument, TakesTheWordsTheKindNumbersAndIds) {
  const struct {
    std::string text;
    int32_t kind;
    std::string id;
  } cases[] = {
      {"all", 100, ""},
      {"ALL", 100, ""},
      {"100", 100, ""},
      {"dialup", 200, ""},
      {"DialUp", 200, ""},
      {"200", 200, ""},
      {"{0000000a-0000-0000-0000-4e6574446576}", 300, kGuid},
      {"300:{0000000a-0000-0000-0000-4e6574446576}", 300, kGuid},
      {"0011223344550000", 300, "0011223344550000"},  // a hardware address of digits only
      {"300:eth0", 300, "ETH0"},                      // any ID after 300:
      {"300:" + std::string(259, 'x'), 300, std::string(259, 'X')},
  };
  for (const auto& c : cases) {
    AdapterArgument a;
    ASSERT_TRUE(ParseAdapterArgument(c.text, a)) << c.text;
    EXPECT_EQ(a.kind, c.kind) << c.text;
    EXPECT_EQ(a.id, c.id) << c.text;
    AdapterArgument back;
    ASSERT_TRUE(ParseAdapterArgument(AdapterArgumentText(a.kind, a.id), back)) << c.text;
    EXPECT_EQ(back.kind, a.kind);
    EXPECT_EQ(back.id, a.id);
  }
}

TEST(AdapterArgument, RefusesWhatNamesNoAdapter) {
  // A short word cannot be an ID the engine makes: 400 is a mistyped kind,
  // not an adapter that can never be found.
  const std::string bad[] = {"", "300", "300:", "400", "0", "eth0", "alll", "100:x", " all",
                             std::string(260, 'x'), "300:" + std::string(260, 'x')};
  for (const std::string& text : bad) {
    AdapterArgument a;
    EXPECT_FALSE(ParseAdapterArgument(text, a)) << text;
  }
}

}  // namespace
}  // namespace qm
