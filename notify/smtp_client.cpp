#include "notify/smtp_client.h"

#include <cstdlib>

#include <chrono>
#include <cstring>
#include <system_error>
#include <thread>

#include "notify/mail_text.h"

namespace qm {
namespace {

constexpr size_t kChunk = 1400;
constexpr size_t kGreetingCapacity = 2048;  // also the RCPT replies
constexpr size_t kReplyCapacity = 1024;
constexpr size_t kErrorLength = 1023;
// A hostile server must not keep the thread reading for ever. Reply lines
// of real servers stay far below 512 bytes and their replies below a few
// dozen lines; more than this beyond the buffer, or more lines than this,
// counts as a failed read.
constexpr size_t kMaxLineBytes = 8192;
constexpr int kMaxReplyLines = 200;

// One dialogue over one socket; remembers the first error.
class Dialogue {
 public:
  Dialogue(TcpSocket& socket, const SmtpLimits& limits) : socket_(socket), limits_(limits) {}

  const std::string& error() const { return error_; }
  bool failed() const { return !error_.empty(); }
  void Fail(const std::string& text) {
    if (error_.empty()) error_ = text.substr(0, kErrorLength);
  }

  bool Send(const std::string& text, int timeout_ms) {
    return SendAll(socket_, text.data(), text.size(), timeout_ms) == text.size();
  }

  // Reads one whole line. Whatever did not fit the step's buffer is read
  // and dropped here, so it can never pass for the reply of the next step.
  bool ReadLine(size_t capacity, int timeout_ms, std::string& line) {
    std::string buffer(capacity, '\0');
    bool complete = false;
    int n = ReadReplyLine(socket_, buffer.data(), capacity, timeout_ms, &complete);
    if (n < 0) return false;
    line.assign(buffer.data(), size_t(n));
    if (complete) return true;
    size_t rest = 0;
    while (!complete) {
      n = ReadReplyLine(socket_, buffer.data(), capacity, timeout_ms, &complete);
      if (n < 0) return false;
      rest += size_t(n);
      if (rest > kMaxLineBytes) return false;
    }
    // The buffer filled up just before the CR of the line end.
    if (rest == 0 && !line.empty() && line.back() == '\r') line.pop_back();
    return true;
  }

  // Reads continuation lines ("250-...") and returns the final one.
  bool ReadReply(size_t capacity, int timeout_ms, const char* continuation, std::string& line) {
    for (int i = 0; i < kMaxReplyLines; ++i) {
      if (!ReadLine(capacity, timeout_ms, line)) return false;
      if (line.compare(0, std::strlen(continuation), continuation) != 0) return true;
    }
    return false;
  }

  // Sends a command (none when empty) and expects a reply code.
  bool Expect(const std::string& command, int code, const char* continuation = nullptr,
              size_t capacity = kReplyCapacity, int sendMs = -1, int replyMs = -1) {
    if (failed()) return false;
    if (sendMs < 0) sendMs = limits_.sendMs;
    if (replyMs < 0) replyMs = limits_.replyMs;
    std::string line;
    if (!command.empty() && !Send(command, sendMs)) {
      Fail(kMailTimeOut);
      return false;
    }
    bool read = continuation ? ReadReply(capacity, replyMs, continuation, line)
                             : ReadLine(capacity, replyMs, line);
    if (!read) {
      Fail(kMailTimeOut);
      return false;
    }
    if (ReplyCode(line) != code) {
      Fail(line.empty() ? kMailEmptyReply : line);
      return false;
    }
    return true;
  }

 private:
  TcpSocket& socket_;
  const SmtpLimits& limits_;
  std::string error_;
};

bool Connect(const MailJob& job, const SmtpLimits& limits, TcpSocket& socket) {
  int attempts = limits.connectAttempts < 1 ? 1 : limits.connectAttempts;
  for (int i = 0; i < attempts; ++i) {
    if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(limits.retryPauseMs));
    if (SmtpConnect(job, limits.port, socket, limits.connectMs)) return true;
  }
  return false;
}

}  // namespace

SmtpLimits SmtpLimitsWithWait(const char* waitMs) {
  SmtpLimits limits;
  if (!waitMs || !*waitMs) return limits;
  char* end = nullptr;
  const long ms = std::strtol(waitMs, &end, 10);
  if (*end || ms < 1 || ms > 600000) return limits;
  limits.connectMs = limits.sendMs = limits.replyMs = int(ms);
  limits.endOfDataMs = int(ms) * 2;
  return limits;
}

SmtpLimits DesktopSmtpLimits() { return SmtpLimitsWithWait(std::getenv(kSmtpWaitVariable)); }

bool SmtpConnect(const MailJob& job, uint16_t port, TcpSocket& socket, int timeout_ms) {
  uint32_t address = 0;
  if (!ResolveIPv4(job.server, address)) return false;
  return socket.Connect(address, port, timeout_ms);
}

size_t SendAll(TcpSocket& socket, const char* data, size_t length, int timeout_ms) {
  size_t sent = 0;
  while (sent < length) {
    size_t chunk = length - sent < kChunk ? length - sent : kChunk;
    if (!socket.SendAll(data + sent, chunk, timeout_ms)) break;
    sent += chunk;
  }
  return sent;
}

int ReadReplyLine(TcpSocket& socket, char* buffer, size_t capacity, int timeout_ms, bool* complete) {
  if (complete) *complete = false;
  if (capacity == 0) return -1;
  size_t length = 0;
  bool ended = false;
  while (length + 1 < capacity) {
    char c;
    if (socket.Receive(&c, 1, timeout_ms) != 1) return -1;
    if (c == '\n') {
      ended = true;
      break;
    }
    buffer[length++] = c;
  }
  if (ended && length > 0 && buffer[length - 1] == '\r') --length;
  buffer[length] = '\0';
  if (complete) *complete = ended;
  return int(length);
}

std::string RunMailDialogue(MailJob& job, const SmtpLimits& limits) {
  // A line break inside a text that goes into a command would end the
  // command early and smuggle in another one.
  for (const char* text : {job.sender, job.recipients, job.accountName, job.password})
    if (std::strpbrk(text, "\r\n")) return kMailInvalidParameters;
  std::vector<char*> items = SplitList(job.recipients, ',');
  bool valid = !job.overlong && job.server[0] && job.sender[0] && !items.empty() &&
               !(job.authenticate && !job.accountName[0]) && !job.message.empty() && job.done;
  std::vector<const char*> recipients;
  for (char* item : items)
    if (IsValidEmailAddress(item)) recipients.push_back(item);
  if (!valid || recipients.empty()) return kMailInvalidParameters;

  TcpSocket socket;
  if (!Connect(job, limits, socket)) return kMailConnectFailed;

  Dialogue d(socket, limits);
  d.Expect("", 220, "220-", kGreetingCapacity);
  if (job.authenticate) {
    d.Expect(std::string("EHLO ") + kGreetingDomain + "\r\n", 250, "250-");
    d.Expect("AUTH LOGIN\r\n", 334);
    d.Expect(Base64Encode(job.accountName, std::strlen(job.accountName)) + "\r\n", 334);
    d.Expect(Base64Encode(job.password, std::strlen(job.password)) + "\r\n", 235);
  } else {
    d.Expect(std::string("HELO ") + kGreetingDomain + "\r\n", 250);
  }
  d.Expect(std::string("MAIL FROM: <") + job.sender + ">\r\n", 250);
  if (d.failed()) return d.error();

  int accepted = 0;
  for (const char* to : recipients) {
    std::string line;
    if (!d.Send(std::string("RCPT TO: <") + to + ">\r\n", limits.sendMs) ||
        !d.ReadLine(kGreetingCapacity, limits.replyMs, line)) {
      return kMailTimeOut;
    }
    int code = ReplyCode(line);
    if (code == 250 || code == 251) ++accepted;
  }

  if (accepted == 0) {
    d.Fail(kMailNotRelayed);
  } else {
    if (!d.Expect("DATA\r\n", 354)) return d.error();
    std::string body = DotStuff(job.message);
    if (!d.Send(body, limits.sendMs)) return kMailBodyFailed;
    if (!d.Expect("\r\n.\r\n", 250, nullptr, kReplyCapacity, limits.endOfDataMs, limits.endOfDataMs))
      return d.error();
  }

  // The outcome is settled; QUIT is a courtesy whose answer does not count.
  std::string line;
  if (d.Send("QUIT\r\n", limits.sendMs)) d.ReadLine(kReplyCapacity, limits.replyMs, line);
  return d.error();
}

void SendMailThread(std::unique_ptr<MailJob> job, SmtpLimits limits) {
  std::string error = RunMailDialogue(*job, limits);
  if (job->done) job->done(error);
}

bool StartMailThread(std::unique_ptr<MailJob> job, const SmtpLimits& limits) {
  try {
    std::thread(SendMailThread, std::move(job), limits).detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

std::vector<std::string> ServiceMailLogLines(const std::string& recipients, const std::string& error) {
  if (error.empty()) return {"Successfully sent bandwidth usage notification email to " + recipients + "."};
  return {"Failed send bandwidth usage notification email to " + recipients + ".", "Error: " + error,
          "Please check your email settings at Options -> Notification -> Email Settings."};
}

}  // namespace qm
