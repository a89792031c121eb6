#include "notify/mail_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qm {
namespace {

std::vector<std::string> Split(std::string text, char separator = ',') {
  std::vector<std::string> out;
  for (char* item : SplitList(text.data(), separator)) out.emplace_back(item);
  return out;
}

TEST(SplitList, TrimsBlanksAndSkipsEmptyItems) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Split(" a@b.com ,, c@d.org\t,  "), (V{"a@b.com", "c@d.org"}));
  EXPECT_EQ(Split("one"), V{"one"});
  EXPECT_EQ(Split(",,,"), V{});
  EXPECT_EQ(Split(""), V{});
  EXPECT_EQ(Split("a,b", '\0'), V{});
  EXPECT_EQ(Split("x;y ; z", ';'), (V{"x", "y", "z"}));
}

TEST(SplitList, CutsTheTextInPlace) {
  char text[] = "a@b.c, d@e.f";
  std::vector<char*> items = SplitList(text, ',');
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0], text);
  EXPECT_EQ(items[1], text + 7);
}

TEST(IsValidEmailAddress, LooseRulesOfTheSettingsPages) {
  struct Case {
    const char* text;
    bool valid;
  } cases[] = {
      {"user@example.com", true},
      {"@example.com", true},          // the part before "@" is not checked
      {"a b@example.com ", true},      // blanks pass
      {"first.last@mail.example.org", true},
      {"", false},
      {"example.com", false},          // no "@"
      {"a@b@example.com", false},      // two "@"
      {"a@.example.com", false},       // "." right after "@"
      {"a@example..com", false},       // two dots in a row after "@"
      {"a@example.com.", false},       // ends in a dot
      {"a@localhost", false},          // no dot after "@"
      {"a.@b.c", true},                // dots before "@" are not checked
  };
  for (const Case& c : cases) EXPECT_EQ(IsValidEmailAddress(c.text), c.valid) << c.text;
}

TEST(Base64Encode, StandardAlphabetAndPadding) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {{"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},        {"foo", "Zm9v"},
               {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}};
  for (const Case& c : cases) EXPECT_EQ(Base64Encode(c.in, std::string(c.in).size()), c.out) << c.in;
  const unsigned char high[] = {0xFB, 0xFF, 0xBF};
  EXPECT_EQ(Base64Encode(high, 3), "+/+/");
}

TEST(ReplyCode, ReadsTheLeadingNumberLikeAtoi) {
  EXPECT_EQ(ReplyCode("250 ok"), 250);
  EXPECT_EQ(ReplyCode("220-first line"), 220);
  EXPECT_EQ(ReplyCode("  354 go"), 354);
  EXPECT_EQ(ReplyCode("hello"), 0);
  EXPECT_EQ(ReplyCode(""), 0);
  EXPECT_EQ(ReplyCode("99999999999999999999"), 2147483647);
}

TEST(DotStuff, DoublesALeadingDotOnEveryLine) {
  EXPECT_EQ(DotStuff(".\r\nbody\r\n.x\r\na.b\r\n"), "..\r\n" "body\r\n" "..x\r\n" "a.b\r\n");
  EXPECT_EQ(DotStuff("a\n.\n"), "a\n..\n");
  EXPECT_EQ(DotStuff(""), "");
}

}  // namespace
}  // namespace qm
