#include "tests/fakes/memory_file_system.h"

#include <algorithm>
#include <cstring>

namespace qm {
namespace {

class MemoryFile : public File {
 public:
  MemoryFile(std::shared_ptr<std::string> bytes, MemoryFileSystem& fs, bool canRead, bool canWrite)
      : bytes_(std::move(bytes)), fs_(fs), canRead_(canRead), canWrite_(canWrite) {}

  int64_t Read(void* buffer, size_t size) override {
    ++fs_.reads;
    if (!canRead_) return -1;
    const size_t have = position_ < bytes_->size() ? bytes_->size() - position_ : 0;
    const size_t n = std::min(size, have);
    if (n) std::memcpy(buffer, bytes_->data() + position_, n);
    position_ += n;
    return int64_t(n);
  }
  bool Write(const void* data, size_t size) override {
    if (!canWrite_ || fs_.diskFull) return false;
    if (bytes_->size() < position_ + size) bytes_->resize(position_ + size);
    if (size) std::memcpy(bytes_->data() + position_, data, size);
    position_ += size;
    return true;
  }
  bool Seek(int64_t offset) override {
    if (offset < 0) return false;
    position_ = size_t(offset);
    return true;
  }
  bool SeekEnd() override {
    position_ = bytes_->size();
    return true;
  }
  int64_t Position() override { return int64_t(position_); }
  int64_t Size() override { return int64_t(bytes_->size()); }
  bool Truncate() override {
    if (!canWrite_ || fs_.diskFull) return false;
    bytes_->resize(std::min(position_, bytes_->size()));
    return true;
  }
  bool Flush() override { return canWrite_ && !fs_.diskFull; }

 private:
  std::shared_ptr<std::string> bytes_;
  MemoryFileSystem& fs_;
  bool canRead_;
  bool canWrite_;
  size_t position_ = 0;
};

}  // namespace

bool MemoryFileSystem::FolderExists(const std::string& path) const {
  const size_t slash = path.find_last_of("/\\");
  if (slash == std::string::npos) return true;  // the current folder
  const std::string folder = path.substr(0, slash);
  return folder.empty() || folder.back() == ':' || directories_.count(folder) != 0;
}

std::unique_ptr<File> MemoryFileSystem::Open(const std::string& path, FileAccess access, FileShare,
                                             FileCreate create) {
  if (directories_.count(path)) return nullptr;
  auto found = files_.find(path);
  const bool exists = found != files_.end();
  if ((create == FileCreate::OpenExisting && !exists) || (create == FileCreate::CreateNew && exists)) return nullptr;
  const bool canWrite = access != FileAccess::Read;
  if (!exists) {
    if (!canWrite || !FolderExists(path)) return nullptr;
    found = files_.emplace(path, std::make_shared<std::string>()).first;
  } else if (create == FileCreate::CreateAlways) {
    if (!canWrite || diskFull) return nullptr;
    found->second->clear();
  }
  return std::make_unique<MemoryFile>(found->second, *this, access != FileAccess::Write, canWrite);
}

bool MemoryFileSystem::Move(const std::string& from, const std::string& to) {
  auto found = files_.find(from);
  if (failMoves || found == files_.end() || Exists(to) || !FolderExists(to)) return false;
  files_.emplace(to, found->second);
  files_.erase(found);
  return true;
}

bool MemoryFileSystem::Copy(const std::string& from, const std::string& to, bool overwrite) {
  auto found = files_.find(from);
  if (found == files_.end() || directories_.count(to) || (!overwrite && files_.count(to)) || !FolderExists(to) ||
      diskFull)
    return false;
  files_[to] = std::make_shared<std::string>(*found->second);
  return true;
}

bool MemoryFileSystem::MakeDirectory(const std::string& path) {
  if (files_.count(path) || !FolderExists(path)) return false;
  return directories_.insert(path).second;
}

std::string MemoryFileSystem::Content(const std::string& path) const {
  auto found = files_.find(path);
  return found == files_.end() ? std::string() : *found->second;
}

void MemoryFileSystem::SetContent(const std::string& path, const std::string& bytes) {
  files_[path] = std::make_shared<std::string>(bytes);
}

}  // namespace qm
