// Sharing modes are enforced by the system on Windows: the history file is
// held for writing with read-only sharing, so nobody else can write it.
#include <gtest/gtest.h>

#include "platform/file.h"

namespace qm {
namespace {

TEST(FileSharing, ReadOnlySharingKeepsOtherWritersOut) {
  FileSystem& fs = SystemFileSystem();
  const std::string path = "sharing_test.bin";
  fs.Remove(path);
  auto writer = fs.Open(path, FileAccess::ReadWrite, FileShare::Read, FileCreate::OpenAlways);
  ASSERT_TRUE(writer);
  ASSERT_TRUE(writer->Write("data", 4));

  EXPECT_FALSE(fs.Open(path, FileAccess::ReadWrite, FileShare::Read, FileCreate::OpenExisting));
  EXPECT_FALSE(fs.Open(path, FileAccess::Write, FileShare::ReadWrite, FileCreate::OpenExisting));
  // A reader must allow the writer that is already there.
  EXPECT_FALSE(fs.Open(path, FileAccess::Read, FileShare::Read, FileCreate::OpenExisting));
  auto reader = fs.Open(path, FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting);
  ASSERT_TRUE(reader);
  char buf[4];
  EXPECT_EQ(reader->Read(buf, 4), 4);

  writer.reset();
  reader.reset();
  EXPECT_TRUE(fs.Open(path, FileAccess::ReadWrite, FileShare::Read, FileCreate::OpenExisting));
}

}  // namespace
}  // namespace qm
