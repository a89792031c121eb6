#pragma once
// One message to send: everything the mail thread needs, owned by it.

#include <cstdint>
#include <functional>
#include <string>

namespace qm {

// Called once on the mail thread when the dialogue is over: an empty text
// is success, anything else is the error to show or log (at most 1023
// characters). The desktop program posts a message to its window from
// here, the service writes its log lines.
using MailDoneCallback = std::function<void(const std::string& error)>;

struct MailJob {
  char server[64] = {};      // host name or dotted IPv4 address
  char sender[64] = {};      // MAIL FROM
  char recipients[256] = {}; // addresses separated by ","
  uint32_t authenticate = 0; // AUTH LOGIN
  char accountName[64] = {};
  char password[32] = {};
  std::string message;       // headers, empty line, body; CR LF line ends
  MailDoneCallback done;

  // Set when a text given to SetMailJobText did not fit its field. Such a
  // job is refused with "Invalid parameters." rather than sent with a cut
  // address list or a cut password.
  bool overlong = false;
};

// Copies `text` into a field of `job`; a text that does not fit leaves the
// field empty and marks the job overlong.
template <size_t N>
void SetMailJobText(MailJob& job, char (&field)[N], const std::string& text) {
  field[0] = '\0';
  if (text.size() >= N || text.find('\0') != std::string::npos) {
    job.overlong = true;
    return;
  }
  text.copy(field, text.size());
  field[text.size()] = '\0';
}

}  // namespace qm
