#pragma once
// An SMTP server on 127.0.0.1 that plays a script for the mail client's
// tests: real sockets, its own thread, one connection at a time.

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/net.h"

namespace qm::test {

class ScriptedSmtpServer {
 public:
  // Gets one command line (without CR LF) and returns the reply to send,
  // CR LF included; an empty reply closes the connection.
  using Responder = std::function<std::string(const std::string& command)>;

  struct Script {
    std::string greeting = "220 mx.test ESMTP\r\n";  // empty: never greets
    Responder respond;                               // falls back to Standard
    std::string endOfData = "250 queued\r\n";
  };

  // The replies of a server that accepts everything.
  static std::string Standard(const std::string& command);

  explicit ScriptedSmtpServer(Script script);
  ~ScriptedSmtpServer();

  uint16_t port() const { return listener_.port(); }
  int connections() const { return connections_; }
  // Command lines received so far, in order.
  std::vector<std::string> commands();
  // The bytes received between DATA and the end-of-data line, as sent
  // (dot-stuffed), the terminating "." line excluded.
  std::string data();

 private:
  void Run();
  void Serve(TcpSocket& peer);
  // One line without its LF; false when the peer closed or we stop.
  bool ReadLine(TcpSocket& peer, std::string& line);

  Script script_;
  TcpListener listener_;
  std::atomic<bool> stop_{false};
  std::atomic<int> connections_{0};
  std::mutex mutex_;
  std::vector<std::string> commands_;
  std::string data_;
  std::thread thread_;
};

}  // namespace qm::test
