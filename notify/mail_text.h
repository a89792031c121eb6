#pragma once
// Small text helpers of the mail path, shared with the Notification page:
// address lists, address checks, base64 and SMTP reply codes.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// Cuts `text` in place at every separator and returns pointers to the
// items, blanks around each item removed, empty items skipped. Nothing for
// an empty text or a zero separator. The pointers live as long as `text`.
std::vector<char*> SplitList(char* text, char separator);

// The loose check the settings pages use: exactly one "@", at least one
// "." after it, no "." right after the "@", no ".." after it and no "."
// at the end. The part before the "@" is not checked.
bool IsValidEmailAddress(std::string_view text);

// Standard base64 with "=" padding, on one line.
std::string Base64Encode(const void* bytes, size_t count);

// The number at the start of a reply line read as a decimal integer, the
// way the C library's atoi reads it; 0 when there is none.
int ReplyCode(std::string_view line);

// SMTP transparency: every line that begins with "." gets one more "." in
// front, so a lone "." in the body cannot end the message early.
std::string DotStuff(std::string_view message);

}  // namespace qm
