#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "platform/file.h"

namespace qm {
namespace {

class PosixFile : public File {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override { ::close(fd_); }
  int64_t Read(void* buffer, size_t size) override {
    size_t done = 0;
    while (done < size) {
      ssize_t n = ::read(fd_, static_cast<char*>(buffer) + done, size - done);
      if (n < 0) return -1;
      if (n == 0) break;
      done += size_t(n);
    }
    return int64_t(done);
  }
  bool Write(const void* data, size_t size) override {
    size_t done = 0;
    while (done < size) {
      ssize_t n = ::write(fd_, static_cast<const char*>(data) + done, size - done);
      if (n <= 0) return false;
      done += size_t(n);
    }
    return true;
  }
  bool Seek(int64_t offset) override { return ::lseek(fd_, offset, SEEK_SET) == offset; }
  bool SeekEnd() override { return ::lseek(fd_, 0, SEEK_END) >= 0; }
  int64_t Position() override { return ::lseek(fd_, 0, SEEK_CUR); }
  int64_t Size() override {
    struct stat st;
    return ::fstat(fd_, &st) == 0 ? int64_t(st.st_size) : -1;
  }
  bool Truncate() override {
    off_t pos = ::lseek(fd_, 0, SEEK_CUR);
    return pos >= 0 && ::ftruncate(fd_, pos) == 0;
  }
  bool Flush() override { return ::fsync(fd_) == 0; }

 private:
  int fd_;
};

class PosixFileSystem : public FileSystem {
 public:
  std::unique_ptr<File> Open(const std::string& path, FileAccess access, FileShare, FileCreate create) override {
    int flags = access == FileAccess::Read ? O_RDONLY : access == FileAccess::Write ? O_WRONLY : O_RDWR;
    switch (create) {
      case FileCreate::OpenExisting: break;
      case FileCreate::OpenAlways: flags |= O_CREAT; break;
      case FileCreate::CreateAlways: flags |= O_CREAT | O_TRUNC; break;
      case FileCreate::CreateNew: flags |= O_CREAT | O_EXCL; break;
    }
    int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixFile>(fd);
  }
  bool Exists(const std::string& path) override {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
  }
  bool IsDirectory(const std::string& path) override {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }
  bool Move(const std::string& from, const std::string& to) override {
    // link + unlink refuses to replace an existing target.
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    return ::unlink(from.c_str()) == 0;
  }
  bool Copy(const std::string& from, const std::string& to, bool overwrite) override {
    if (!overwrite && Exists(to)) return false;
    std::ifstream in(from, std::ios::binary);
    if (!in) return false;
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    out << in.rdbuf();
    return bool(out);
  }
  bool Remove(const std::string& path) override { return ::unlink(path.c_str()) == 0; }
  bool MakeDirectory(const std::string& path) override { return ::mkdir(path.c_str(), 0755) == 0; }
  bool Identify(const std::string& path, FileIdentity& out) override {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return false;
    out = FileIdentity{uint64_t(st.st_dev), uint64_t(st.st_ino)};
    return true;
  }
  char Separator() const override { return '/'; }
};

}  // namespace

FileSystem& SystemFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

std::string LastFileErrorText() { return std::strerror(errno); }

}  // namespace qm
