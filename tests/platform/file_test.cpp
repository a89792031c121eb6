#include "platform/file.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(SystemFile, WritesSeeksTruncatesAndReadsBack) {
  FileSystem& fs = SystemFileSystem();
  const std::string path = "file_test.bin";
  fs.Remove(path);
  {
    auto f = fs.Open(path, FileAccess::ReadWrite, FileShare::Read, FileCreate::CreateNew);
    ASSERT_TRUE(f);
    ASSERT_TRUE(f->Write("abcdef", 6));
    ASSERT_TRUE(f->Seek(2));
    ASSERT_TRUE(f->Write("XY", 2));
    ASSERT_TRUE(f->Seek(5));
    ASSERT_TRUE(f->Truncate());
    EXPECT_EQ(f->Size(), 5);
    ASSERT_TRUE(f->Flush());
  }
  EXPECT_FALSE(fs.Open(path, FileAccess::Write, FileShare::None, FileCreate::CreateNew));
  auto f = fs.Open(path, FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting);
  ASSERT_TRUE(f);
  char buf[16] = {};
  EXPECT_EQ(f->Read(buf, sizeof buf), 5);
  EXPECT_STREQ(buf, "abXYe");
  EXPECT_EQ(f->Read(buf, sizeof buf), 0);
}

TEST(SystemFile, MoveNeverReplacesAnExistingFile) {
  FileSystem& fs = SystemFileSystem();
  fs.Remove("move_a.bin");
  fs.Remove("move_b.bin");
  fs.Open("move_a.bin", FileAccess::Write, FileShare::None, FileCreate::CreateAlways)->Write("a", 1);
  fs.Open("move_b.bin", FileAccess::Write, FileShare::None, FileCreate::CreateAlways)->Write("bb", 2);
  EXPECT_FALSE(fs.Move("move_a.bin", "move_b.bin"));
  EXPECT_EQ(fs.Open("move_b.bin", FileAccess::Read, FileShare::Read, FileCreate::OpenExisting)->Size(), 2);
  fs.Remove("move_b.bin");
  EXPECT_TRUE(fs.Move("move_a.bin", "move_b.bin"));
  EXPECT_FALSE(fs.Exists("move_a.bin"));
  EXPECT_TRUE(fs.Exists("move_b.bin"));
}

}  // namespace
}  // namespace qm
