#include "service/metrics_server.h"

#include <memory>
#include <vector>

#include "service/http_request.h"

namespace qm {
namespace {

using Steady = std::chrono::steady_clock;

struct Connection {
  TcpSocket socket;
  std::string received;
  Steady::time_point deadline;
};

bool ParseNumber(const std::string& text, unsigned max, unsigned& value) {
  if (text.empty() || text.size() > 5) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + unsigned(c - '0');
  }
  return value <= max;
}

}  // namespace

bool ParseListenAddress(const std::string& text, uint32_t& address, uint16_t& port) {
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos) return false;
  unsigned p = 0;
  if (!ParseNumber(text.substr(colon + 1), 65535, p)) return false;
  uint8_t bytes[4];
  size_t at = 0;
  for (int i = 0; i < 4; ++i) {
    const size_t end = i < 3 ? text.find('.', at) : colon;
    unsigned b = 0;
    if (end == std::string::npos || end > colon || !ParseNumber(text.substr(at, end - at), 255, b)) return false;
    bytes[i] = uint8_t(b);
    at = end + 1;
  }
  if (at != colon + 1) return false;
  // Network byte order: the first byte of the text is the first in memory.
  address = 0;
  for (int i = 3; i >= 0; --i) address = (address << 8) | bytes[i];
  port = uint16_t(p);
  return true;
}

bool ParseMetricsListen(const std::string& text, uint32_t& address, uint16_t& port) {
  return ParseListenAddress(text, address, port) && port != 0;
}

bool MetricsServer::Start(const std::string& listen, std::string& why) {
  Stop();
  uint32_t address = 0;
  uint16_t port = 0;
  if (!ParseListenAddress(listen, address, port)) {
    why = kMetricsListenExpected;
    return false;
  }
  if (!listener_.Listen(address, port, why)) return false;
  stop_ = false;
  thread_ = std::thread([this] { Run(); });
  return true;
}

void MetricsServer::Publish(MetricsSnapshot snapshot) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::swap(snapshot_, snapshot);
}

void MetricsServer::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  listener_.Close();
}

// Takes what arrived; true when the connection is done with (answered,
// closed by the client, or failed).
bool MetricsServer::Serve(TcpSocket& socket, std::string& received) {
  char buffer[2048];
  const int n = socket.Receive(buffer, sizeof buffer, 0);
  if (n == -2) return false;  // nothing after all
  if (n <= 0) return true;
  received.append(buffer, size_t(n));
  const RequestVerdict verdict = JudgeRequest(received, limits_.maxRequest);
  if (verdict == RequestVerdict::Incomplete) return false;
  std::string body;
  if (verdict == RequestVerdict::Metrics) {
    MetricsSnapshot copy;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      copy = snapshot_;
    }
    body = MetricsText(copy);
  }
  const std::string response = ResponseFor(verdict, body);
  socket.SendAll(response.data(), response.size(), limits_.sendMs);
  return true;
}

void MetricsServer::Run() {
  std::vector<std::unique_ptr<Connection>> open;
  std::vector<TcpSocket*> peers;
  std::vector<bool> ready;
  while (!stop_) {
    peers.clear();
    for (auto& c : open) peers.push_back(&c->socket);
    // With every slot taken the listener is not watched: new clients wait
    // in the backlog instead of waking this loop.
    const bool full = open.size() >= limits_.maxConnections;
    WaitReadable(full ? nullptr : &listener_, peers, limits_.pollMs, ready);
    const Steady::time_point now = Steady::now();
    std::vector<std::unique_ptr<Connection>> kept;
    for (size_t i = 0; i < open.size(); ++i) {
      // The deadline holds however the bytes trickle in.
      const bool done = now >= open[i]->deadline || (ready[i] && Serve(open[i]->socket, open[i]->received));
      if (!done) kept.push_back(std::move(open[i]));
    }
    open = std::move(kept);
    if (!full && ready.back()) {
      auto c = std::make_unique<Connection>();
      if (listener_.Accept(c->socket, 0)) {
        c->deadline = now + std::chrono::milliseconds(limits_.requestMs);
        open.push_back(std::move(c));
      } else {
        // The listener stays readable while accepting fails (no sockets or
        // memory left): pause instead of spinning on it.
        std::this_thread::sleep_for(std::chrono::milliseconds(limits_.pollMs));
      }
    }
  }
}

}  // namespace qm
