#include "platform/ascii_case.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

// Only A-Z and a-z fold: the bytes of UTF-8 and ANSI letters stay, so a
// name with an accented letter never matches another accented letter.
TEST(AsciiCase, FoldsOnlyTheAsciiLetters) {
  EXPECT_EQ(AsciiLower("QuellMark-09_{GUID}"), "quellmark-09_{guid}");
  EXPECT_EQ(AsciiUpper("{0000000a-4e65}"), "{0000000A-4E65}");
  EXPECT_EQ(AsciiLower("\xC3\x89T\xC9"), "\xC3\x89t\xC9");
  EXPECT_EQ(AsciiUpper("\xC3\xA9t\xE9"), "\xC3\xA9T\xE9");
  EXPECT_EQ(AsciiLower("@[`{"), "@[`{");  // the neighbours of the letters
}

TEST(AsciiCase, ComparesWholeNamesWithoutRegardToCase) {
  const struct {
    const char* a;
    const char* b;
    bool equal;
  } cases[] = {
      {"Quellmark", "QUELLMARK", true}, {"", "", true},           {".CSV", ".csv", true},
      {"Quellmark", "Quellmar", false}, {"Quellmark", "Quellmark ", false},
      {"\xC9", "\xE9", false},          {"@", "`", false},
  };
  for (const auto& c : cases) EXPECT_EQ(AsciiEqualNoCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
}

}  // namespace
}  // namespace qm
