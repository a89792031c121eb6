#pragma once
// Files as the core needs them: explicit access and sharing, positioned
// reads and writes, truncation and flushing to disk. Paths are the
// platform's own (ANSI on Windows).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace qm {

enum class FileAccess { Read, Write, ReadWrite };
// What other openers of the same file may do while this handle is open.
enum class FileShare { None, Read, ReadWrite };
enum class FileCreate {
  OpenExisting,  // fail when missing
  OpenAlways,    // create when missing
  CreateAlways,  // create or truncate
  CreateNew,     // fail when present
};

class File {
 public:
  virtual ~File() = default;
  // Reads up to size bytes; returns the count read (0 at the end), or -1.
  virtual int64_t Read(void* buffer, size_t size) = 0;
  // Writes all bytes; false on a short write.
  virtual bool Write(const void* data, size_t size) = 0;
  virtual bool Seek(int64_t offset) = 0;  // from the start
  virtual bool SeekEnd() = 0;
  virtual int64_t Position() = 0;
  virtual int64_t Size() = 0;
  // Cuts the file at the current position.
  virtual bool Truncate() = 0;
  // Pushes written data to the disk.
  virtual bool Flush() = 0;
};

// Which file a path names, whatever the spelling: device and inode, or
// volume serial number and file index.
struct FileIdentity {
  uint64_t volume = 0;
  uint64_t index = 0;
  bool operator==(const FileIdentity&) const = default;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual std::unique_ptr<File> Open(const std::string& path, FileAccess access, FileShare share, FileCreate create) = 0;
  virtual bool Exists(const std::string& path) = 0;
  virtual bool IsDirectory(const std::string& path) = 0;
  // Renames; never replaces an existing file.
  virtual bool Move(const std::string& from, const std::string& to) = 0;
  virtual bool Copy(const std::string& from, const std::string& to, bool overwrite) = 0;
  virtual bool Remove(const std::string& path) = 0;
  virtual bool MakeDirectory(const std::string& path) = 0;
  // False when the path names no file that can be looked at; a file system
  // that cannot tell files apart says so by leaving this as it is.
  virtual bool Identify(const std::string& path, FileIdentity& out) {
    (void)path;
    (void)out;
    return false;
  }
  // The separator of the platform's paths.
  virtual char Separator() const = 0;
};

// Whether two paths name the same file, however they are spelled (relative,
// with other separators or case, through a link). Where the files cannot be
// identified, the same spelling still names the same file.
inline bool IsSameFile(FileSystem& fs, const std::string& a, const std::string& b) {
  FileIdentity ia, ib;
  if (fs.Identify(a, ia) && fs.Identify(b, ib)) return ia == ib;
  return a == b;
}

// CreateFileA on Windows, POSIX calls elsewhere (where sharing is not
// enforced).
FileSystem& SystemFileSystem();

// The system's words for why the last file call on this thread failed
// ("There is not enough space on the disk."), without a line end.
std::string LastFileErrorText();

}  // namespace qm
