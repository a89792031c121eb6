// The mail client's reading of server replies: the input is everything a
// server says, from the greeting on; the client runs its whole dialogue
// against it over a loopback connection. The first byte picks the job:
// authentication, one to three recipients, a body with lines that need
// dot-stuffing.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "notify/mail_text.h"
#include "notify/smtp_client.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

constexpr size_t kMaxServerBytes = 64 * 1024;

struct Listener {
  int fd = -1;
  uint16_t port = 0;

  Listener() {
    fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(fd, 4) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0)
      std::abort();
    port = ntohs(a.sin_port);
  }
};

// Plays the server: says everything at once, stops talking, and reads what
// the client sends until it hangs up, so that closing never resets the
// connection under the client's unread replies.
void Serve(int listenFd, const uint8_t* data, size_t size) {
  int peer = accept(listenFd, nullptr, nullptr);
  if (peer < 0) std::abort();
  for (size_t sent = 0; sent < size;) {
    ssize_t n = send(peer, data + sent, size - sent, MSG_NOSIGNAL);
    if (n <= 0) break;  // the client gave up and closed
    sent += size_t(n);
  }
  shutdown(peer, SHUT_WR);
  char sink[4096];
  while (recv(peer, sink, sizeof sink, 0) > 0) {
  }
  close(peer);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Listener listener;
  if (size < 1 || size > kMaxServerBytes) return -1;
  const uint8_t options = data[0];

  qm::MailJob job;
  std::strcpy(job.server, "127.0.0.1");
  std::strcpy(job.sender, "meter@example.com");
  static const char* const kRecipients[] = {"admin@example.com", "admin@example.com, ops@example.org",
                                            "a@example.com,b@example.com , c@example.com"};
  std::strcpy(job.recipients, kRecipients[(options >> 1) % 3]);
  if (options & 1) {
    job.authenticate = 1;
    std::strcpy(job.accountName, "alice");
    std::strcpy(job.password, "s3cret!");
  }
  job.message = (options & 8) ? "Subject: usage\r\n\r\n.\r\n..two\r\nend\r\n" : "Subject: usage\r\n\r\nbody\r\n";
  job.done = [](const std::string&) {};

  qm::SmtpLimits limits;
  limits.port = listener.port;
  limits.connectAttempts = 1;
  // Every reply is on its way before the client asks; these only bound a
  // client that waits for more than the server said.
  limits.connectMs = limits.sendMs = limits.replyMs = limits.endOfDataMs = 10000;

  std::thread server(Serve, listener.fd, data + 1, size - 1);
  std::string error = qm::RunMailDialogue(job, limits);
  server.join();

  // The error goes to one log line or one message box.
  qm::fuzz::Check(error.size() <= 1023 && error.find('\n') == std::string::npos);
  // Success needs the server's consent to the message.
  std::string said(reinterpret_cast<const char*>(data + 1), size - 1);
  qm::fuzz::Check(!error.empty() || said.find("354") != std::string::npos);
  return 0;
}
