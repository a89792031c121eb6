#pragma once
// The system's files with one part of them failing: renames refused, or
// every write failing while a flag says the disk is full.

#include <memory>
#include <string>

#include "platform/file.h"

namespace qm {

// The system's files, except that nothing can be renamed.
class NoMoveFileSystem : public FileSystem {
 public:
  std::unique_ptr<File> Open(const std::string& p, FileAccess a, FileShare s, FileCreate c) override {
    return SystemFileSystem().Open(p, a, s, c);
  }
  bool Exists(const std::string& p) override { return SystemFileSystem().Exists(p); }
  bool IsDirectory(const std::string& p) override { return SystemFileSystem().IsDirectory(p); }
  bool Move(const std::string&, const std::string&) override { return false; }
  bool Copy(const std::string& f, const std::string& t, bool o) override { return SystemFileSystem().Copy(f, t, o); }
  bool Remove(const std::string& p) override { return SystemFileSystem().Remove(p); }
  bool MakeDirectory(const std::string& p) override { return SystemFileSystem().MakeDirectory(p); }
  char Separator() const override { return SystemFileSystem().Separator(); }
};

// The system's files, whose writes fail while `full` is set (a full disk),
// and whose size cannot be told while `sizeUnknown` is set.
class FullDiskFileSystem : public NoMoveFileSystem {
 public:
  class FullDiskFile : public File {
   public:
    FullDiskFile(std::unique_ptr<File> file, const FullDiskFileSystem& fs) : file_(std::move(file)), fs_(fs) {}
    int64_t Read(void* b, size_t n) override { return file_->Read(b, n); }
    bool Write(const void* d, size_t n) override { return !fs_.full && file_->Write(d, n); }
    bool Seek(int64_t at) override { return file_->Seek(at); }
    bool SeekEnd() override { return file_->SeekEnd(); }
    int64_t Position() override { return file_->Position(); }
    int64_t Size() override { return fs_.sizeUnknown ? -1 : file_->Size(); }
    bool Truncate() override { return file_->Truncate(); }
    bool Flush() override { return file_->Flush(); }

   private:
    std::unique_ptr<File> file_;
    const FullDiskFileSystem& fs_;
  };
  std::unique_ptr<File> Open(const std::string& p, FileAccess a, FileShare s, FileCreate c) override {
    auto f = SystemFileSystem().Open(p, a, s, c);
    if (!f) return nullptr;
    return std::make_unique<FullDiskFile>(std::move(f), *this);
  }
  bool Move(const std::string& f, const std::string& t) override { return SystemFileSystem().Move(f, t); }
  bool full = false;
  bool sizeUnknown = false;
};

}  // namespace qm
