#pragma once
// Files in memory for tests: each path holds its bytes; folders are a set of
// names, and a file or folder can only be made in a folder that exists. Faults a real disk shows rarely can be switched on: a rename that
// fails, and a full disk on which every write fails. Reads are counted, so a
// test can tell whether a file was read at all. Sharing is not enforced.

#include <map>
#include <memory>
#include <set>
#include <string>

#include "platform/file.h"

namespace qm {

class MemoryFileSystem : public FileSystem {
 public:
  explicit MemoryFileSystem(char separator = '\\') : separator_(separator) {}

  std::unique_ptr<File> Open(const std::string& path, FileAccess access, FileShare share, FileCreate create) override;
  bool Exists(const std::string& path) override { return files_.count(path) || directories_.count(path); }
  bool IsDirectory(const std::string& path) override { return directories_.count(path) != 0; }
  bool Move(const std::string& from, const std::string& to) override;
  bool Copy(const std::string& from, const std::string& to, bool overwrite) override;
  bool Remove(const std::string& path) override { return files_.erase(path) != 0; }
  bool MakeDirectory(const std::string& path) override;
  char Separator() const override { return separator_; }

  // The bytes at `path` ("" when there is no such file), and setting them.
  std::string Content(const std::string& path) const;
  void SetContent(const std::string& path, const std::string& bytes);

  bool failMoves = false;
  bool diskFull = false;  // writes and truncation fail; reads still work
  int reads = 0;          // Read calls on every file opened here

 private:
  // A path's folder: none (the current one), a drive root or one made here.
  bool FolderExists(const std::string& path) const;

  // Open files share the bytes, so a removed or renamed file stays readable
  // through a handle opened before, as on a real disk.
  std::map<std::string, std::shared_ptr<std::string>> files_;
  std::set<std::string> directories_;
  char separator_;
};

}  // namespace qm
