#include "service/win32/system_adapters.h"

namespace qm {
namespace {

class NoAdapters : public AdapterSource {
 public:
  bool ListAdapters(std::vector<SystemAdapter>&) override { return false; }
  bool ReadCounters(uint32_t, InterfaceCounters&) override { return false; }
};

}  // namespace

std::unique_ptr<AdapterSource> MakeSystemAdapterSource() { return std::make_unique<NoAdapters>(); }

}  // namespace qm
