#pragma once
// Texts that leave the program as UTF-8 (JSON, metrics labels) may come
// from a history file or the registry in any code page.

#include <string>

namespace qm {

// `text` with every byte that is not part of a valid UTF-8 sequence
// replaced by U+FFFD.
std::string ValidUtf8(const std::string& text);

}  // namespace qm
