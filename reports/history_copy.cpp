#include "reports/history_copy.h"

#include <vector>

#include "engine/day_record.h"
#include "platform/ascii_case.h"

namespace qm {
namespace {

size_t NameStart(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? 0 : slash + 1;
}

// A name next to `to` that no file has yet.
std::string FreeSibling(FileSystem& fs, const std::string& to, const char* tag) {
  for (int n = 1;; ++n) {
    std::string name = to + tag + std::to_string(n);
    if (!fs.Exists(name)) return name;
  }
}

bool CopyBytes(FileSystem& fs, const std::string& from, const std::string& to) {
  std::unique_ptr<File> in = fs.Open(from, FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting);
  if (!in) return false;
  std::unique_ptr<File> out = fs.Open(to, FileAccess::Write, FileShare::None, FileCreate::CreateNew);
  if (!out) return false;
  std::vector<char> block(64 * 1024);
  for (;;) {
    const int64_t n = in->Read(block.data(), block.size());
    if (n < 0) return false;
    if (n == 0) break;
    if (!out->Write(block.data(), size_t(n))) return false;
  }
  return out->Flush();
}

}  // namespace

bool SamePathNoCase(const std::string& a, const std::string& b) { return AsciiEqualNoCase(a, b); }

std::string NumberedFreeName(FileSystem& fs, const std::string& path) {
  const size_t dot = path.rfind('.');
  const bool hasExtension = dot != std::string::npos && dot >= NameStart(path);
  const std::string part = hasExtension ? path.substr(0, dot) : path;
  const std::string extension = hasExtension ? path.substr(dot) : std::string();
  for (int n = 1;; ++n) {
    std::string name = part + "_" + std::to_string(n) + extension;
    if (!fs.Exists(name)) return name;
  }
}

bool CopyWholeFile(FileSystem& fs, const std::string& from, const std::string& to, bool replace) {
  if (!replace && fs.Exists(to)) return false;
  const std::string temporary = FreeSibling(fs, to, ".copy");
  if (!CopyBytes(fs, from, temporary)) {
    fs.Remove(temporary);
    return false;
  }
  // The old file steps aside first and comes back if the rename fails.
  std::string aside;
  if (replace && fs.Exists(to)) {
    aside = FreeSibling(fs, to, ".old");
    if (!fs.Move(to, aside)) {
      fs.Remove(temporary);
      return false;
    }
  }
  if (!fs.Move(temporary, to)) {
    if (!aside.empty()) fs.Move(aside, to);
    fs.Remove(temporary);
    return false;
  }
  if (!aside.empty()) fs.Remove(aside);
  return true;
}

RestoreOutcome RestoreHistoryBackup(FileSystem& fs, const std::string& chosen, const std::string& current,
                                    std::string& restored) {
  if (SamePathNoCase(chosen, current)) return RestoreOutcome::SameFile;
  {
    std::unique_ptr<File> in = fs.Open(chosen, FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting);
    if (!in) return RestoreOutcome::CopyFailed;
    HistoryHeader header;
    const int64_t got = in->Read(&header, sizeof header);
    if (got < 0) return RestoreOutcome::CopyFailed;
    if (got < kHistoryHeaderSize || !IsHistoryHeader(header)) return RestoreOutcome::NotHistoryFile;
  }
  restored = NumberedFreeName(fs, current);
  return CopyWholeFile(fs, chosen, restored, false) ? RestoreOutcome::Restored : RestoreOutcome::CopyFailed;
}

}  // namespace qm
