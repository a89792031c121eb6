#include "engine/adapter_argument.h"

#include "engine/adapter_record.h"
#include "platform/ascii_case.h"

namespace qm {
namespace {

// MakeAdapterId gives longer names as they are and short ones as 16 digits.
constexpr size_t kShortestAdapterId = 11;

bool TakeId(std::string_view id, AdapterArgument& out) {
  if (id.empty() || id.size() > kMaxAdapterIdLength) return false;
  out.kind = kKindAdapter;
  out.id = AsciiUpper(std::string(id));
  return true;
}

}  // namespace

bool ParseAdapterArgument(std::string_view text, AdapterArgument& out) {
  out = AdapterArgument{};
  if (text == "100" || AsciiEqualNoCase(text, "all")) {
    out.kind = kKindAllConnections;
    return true;
  }
  if (text == "200" || AsciiEqualNoCase(text, "dialup")) {
    out.kind = kKindDialUp;
    return true;
  }
  if (text.substr(0, 4) == "300:") return TakeId(text.substr(4), out);
  return text.size() >= kShortestAdapterId && TakeId(text, out);
}

std::string AdapterArgumentText(int32_t kind, const std::string& id) {
  if (kind == kKindAllConnections) return "all";
  if (kind == kKindDialUp) return "dialup";
  return id.size() >= kShortestAdapterId ? id : "300:" + id;
}

}  // namespace qm
