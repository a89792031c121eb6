#pragma once
// The service's metrics endpoint: one listener thread that answers
// "GET /metrics" with the last snapshot the tick published, 404 to any
// other request. The tick only swaps a snapshot in under a lock that is
// never held during network I/O, so no client can slow it down; a client
// gets a bounded time to send its request and to take the answer, and
// only a few connections are open at once (later ones wait in the backlog).

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "platform/net.h"
#include "service/metrics_text.h"

namespace qm {

struct MetricsLimits {
  size_t maxConnections = 4;
  int requestMs = 5000;  // from connecting to the end of the request header
  int sendMs = 2000;     // for the whole answer
  size_t maxRequest = 8192;
  int pollMs = 200;  // how soon Stop() is noticed
};

// "ADDRESS:PORT" with a dotted IPv4 address and a port of 0 to 65535 (0:
// any free one), into network byte order for the address; false when it is
// not that.
bool ParseListenAddress(const std::string& text, uint32_t& address, uint16_t& port);

inline constexpr char kMetricsListenExpected[] = "not an address such as 127.0.0.1:9464";

// The same for the service's MetricsListen, where port 0 is refused: some
// free port would be one no scraper knows of.
bool ParseMetricsListen(const std::string& text, uint32_t& address, uint16_t& port);

class MetricsServer {
 public:
  explicit MetricsServer(const MetricsLimits& limits = MetricsLimits()) : limits_(limits) {}
  ~MetricsServer() { Stop(); }
  MetricsServer(const MetricsServer&) = delete;
  MetricsServer& operator=(const MetricsServer&) = delete;

  // Listens on `listen` ("127.0.0.1:9464") and starts the thread; false
  // with the reason.
  bool Start(const std::string& listen, std::string& why);
  void Publish(MetricsSnapshot snapshot);
  // Ends the thread and closes every connection; waits at most pollMs plus
  // one answer's sendMs.
  void Stop();
  uint16_t port() const { return listener_.port(); }

 private:
  void Run();
  bool Serve(TcpSocket& socket, std::string& received);

  MetricsLimits limits_;
  TcpListener listener_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  MetricsSnapshot snapshot_;  // guarded by mutex_
};

}  // namespace qm
