#pragma once
// TCP sockets with time limits: Winsock on Windows, BSD sockets elsewhere.
// Only what the mail client and the service's metrics endpoint need.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qm {

// Starts the socket library (Winsock 2.0) once per process; true when
// usable. A failed start is tried again by the next call.
bool NetStartup();

// Resolves a dotted address or a host name to an IPv4 address in network
// byte order; false when it cannot.
bool ResolveIPv4(const std::string& host, uint32_t& address);

class TcpListener;

class TcpSocket {
 public:
  TcpSocket() = default;
  ~TcpSocket();
  TcpSocket(const TcpSocket&) = delete;
  TcpSocket& operator=(const TcpSocket&) = delete;

  // Connects within timeout_ms; false on refusal, error or time-out.
  bool Connect(uint32_t address, uint16_t port, int timeout_ms);
  // Sends every byte within timeout_ms in all; false when the time runs
  // out, the peer goes away or the send fails.
  bool SendAll(const void* data, size_t size, int timeout_ms);
  // Waits at most timeout_ms for data. Returns the count received, 0 when
  // the peer closed the connection, -1 on error, -2 on time-out.
  int Receive(void* buffer, size_t size, int timeout_ms);
  void Close();
  bool is_open() const { return handle_ != kInvalid; }

 private:
  friend class TcpListener;
  friend bool WaitReadable(const TcpListener*, const std::vector<TcpSocket*>&, int, std::vector<bool>&);
  static constexpr intptr_t kInvalid = -1;
  intptr_t handle_ = kInvalid;
};

// A listening socket on the loopback address, for programs and tests that
// play the server side of a dialogue.
class TcpListener {
 public:
  TcpListener() = default;
  ~TcpListener();
  TcpListener(const TcpListener&) = delete;
  TcpListener& operator=(const TcpListener&) = delete;

  // Listens on 127.0.0.1:port; port 0 picks a free one (see port()).
  bool Listen(uint16_t port);
  // Listens on any IPv4 address (network byte order); false with the
  // system's reason in `why`.
  bool Listen(uint32_t address, uint16_t port, std::string& why);
  uint16_t port() const { return port_; }
  // Waits at most timeout_ms for a connection; false on time-out or error.
  bool Accept(TcpSocket& peer, int timeout_ms);
  void Close();

 private:
  friend bool WaitReadable(const TcpListener*, const std::vector<TcpSocket*>&, int, std::vector<bool>&);
  intptr_t handle_ = TcpSocket::kInvalid;
  uint16_t port_ = 0;
};

// Waits at most timeout_ms until `listener` (none: not watched) has a
// connection waiting or one of `peers` has data or was closed; `ready`
// gets one flag per peer, then one for the listener. False on time-out or
// error.
bool WaitReadable(const TcpListener* listener, const std::vector<TcpSocket*>& peers, int timeout_ms,
                  std::vector<bool>& ready);

}  // namespace qm
