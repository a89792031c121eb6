#pragma once
// The mail client: one thread per message runs the whole SMTP dialogue
// (plain TCP, optional AUTH LOGIN) and reports one outcome.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "notify/mail_job.h"
#include "platform/net.h"

namespace qm {

// Error texts of the dialogue; a reply with an unexpected code is reported
// as the server's reply line itself.
inline constexpr char kMailInvalidParameters[] = "Invalid parameters.";
inline constexpr char kMailConnectFailed[] = "Failed to connect to SMTP server.";
inline constexpr char kMailTimeOut[] = "Time out.";
inline constexpr char kMailBodyFailed[] = "Failed to send email body.";
inline constexpr char kMailNotRelayed[] = "SMTP Server didn't relay email.";
// An unexpected reply that is an empty line: the line itself cannot be
// the error, since an empty error means success.
inline constexpr char kMailEmptyReply[] = "SMTP Server sent an empty reply.";

// The domain named in EHLO and HELO.
inline constexpr char kGreetingDomain[] = "quellmark.local";

// Waits, attempts and the port. The defaults are the ones the programs
// use; tests shorten them.
struct SmtpLimits {
  uint16_t port = 25;
  int connectMs = 60000;     // one connection attempt
  int sendMs = 60000;        // room to send, per chunk
  int replyMs = 60000;       // per byte of a reply
  int endOfDataMs = 120000;  // the end-of-data marker and its reply
  int connectAttempts = 4;   // the first one and three retries
  int retryPauseMs = 5000;
};

// The desktop program's waits. The environment variable
// QUELLMARK_SMTP_WAIT_MS, when it holds a whole number of milliseconds from
// 1 to 600000, replaces every send and reply wait and one connection
// attempt's wait (the end-of-data marker gets twice as long), so that the
// end-to-end tests see a silent server give up in seconds. Anything else
// in it is ignored.
inline constexpr char kSmtpWaitVariable[] = "QUELLMARK_SMTP_WAIT_MS";
SmtpLimits SmtpLimitsWithWait(const char* waitMs);
SmtpLimits DesktopSmtpLimits();

// Resolves the job's server (a dotted IPv4 address is used as is) and
// connects to it; false when resolution or connection fails.
bool SmtpConnect(const MailJob& job, uint16_t port, TcpSocket& socket, int timeout_ms);

// Sends in chunks of at most 1400 bytes, waiting up to timeout_ms for room
// before each. Returns the bytes sent; anything short of `length` means the
// time limit passed or the connection failed.
size_t SendAll(TcpSocket& socket, const char* data, size_t length, int timeout_ms);

// Reads one reply line, one byte per receive, waiting up to timeout_ms for
// each byte, and removes its CR LF or LF. Returns the length, or -1 when
// the peer closed, a receive failed or the time ran out. The text holds at
// most capacity - 1 characters; *complete (when given) tells whether the
// line end was reached, otherwise the rest is still waiting on the socket.
int ReadReplyLine(TcpSocket& socket, char* buffer, size_t capacity, int timeout_ms, bool* complete = nullptr);

// Runs the whole dialogue for the job and returns the error text, empty on
// success. Splits job.recipients in place.
std::string RunMailDialogue(MailJob& job, const SmtpLimits& limits);

// The thread procedure: runs the dialogue, hands the outcome to job->done
// and frees the job.
void SendMailThread(std::unique_ptr<MailJob> job, SmtpLimits limits);

// Starts SendMailThread on a thread of its own and returns at once. False
// when no thread could be started: the job is gone and nothing will be
// reported, so the caller must not wait for an outcome.
bool StartMailThread(std::unique_ptr<MailJob> job, const SmtpLimits& limits = {});

// The service's activity log lines for one outcome; `recipients` is the
// address list as the job received it.
std::vector<std::string> ServiceMailLogLines(const std::string& recipients, const std::string& error);

}  // namespace qm
