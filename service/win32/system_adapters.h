#pragma once
// The system's adapters as the worker reads them.

#include <memory>

#include "platform/adapter_source.h"

namespace qm {

std::unique_ptr<AdapterSource> MakeSystemAdapterSource();

}  // namespace qm
