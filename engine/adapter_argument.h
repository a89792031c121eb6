#pragma once
// An adapter named on a command line. Both command-line tools take the same
// spellings, case aside:
//   all    or 100      All Connections
//   dialup or 200      Dial-Up Connections
//   300:ID or ID       the network adapter with that ID
// An ID alone must look like one the engine makes (11 or more characters,
// see MakeAdapterId), so that a mistyped kind number such as 400 is not
// taken for an adapter; 300:ID takes any ID.

#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

struct AdapterArgument {
  int32_t kind = 0;  // AdapterKind
  std::string id;    // upper case; empty for 100 and 200
};

// False for anything else, and for an ID that is empty or longer than
// 259 characters.
bool ParseAdapterArgument(std::string_view text, AdapterArgument& out);

// The word for a pseudo adapter, the ID for an adapter (300:ID for one too
// short to stand alone): what ParseAdapterArgument reads back as the same
// adapter.
std::string AdapterArgumentText(int32_t kind, const std::string& id);

}  // namespace qm
