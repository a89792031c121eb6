#pragma once
// How stored values are taken in, whatever their stored type: a fixed-size
// read never looks past the stored bytes nor past its own buffer.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/settings_store.h"

namespace qm::settings_io {

// A 32-bit value of exactly four bytes (a registry read into a 4-byte
// buffer does not look at the type). Shorter or longer values count as
// missing, so the option keeps its default rather than half of one.
bool ReadNumber(SettingsStore& store, RegRoot root, const std::string& key, const std::string& name, uint32_t& out);

// A record of exactly `size` bytes, else missing.
bool ReadExact(SettingsStore& store, RegRoot root, const std::string& key, const std::string& name, void* out,
               size_t size);

// A text read into a fixed buffer of `capacity` bytes: the bytes that fit,
// up to the first zero, at most capacity - 1 characters.
bool ReadFixedText(SettingsStore& store, RegRoot root, const std::string& key, const std::string& name,
                   size_t capacity, std::string& out);

// A text of any length: the buffer is the stored size rounded up to the
// next multiple of 4 (a multiple of 4 grows by 4), so a text stored
// without its terminating zero still ends inside the buffer; the text is
// cut at its first zero.
bool ReadSizedText(SettingsStore& store, RegRoot root, const std::string& key, const std::string& name,
                   std::string& out);
size_t SizedTextBuffer(size_t storedSize);

}  // namespace qm::settings_io
