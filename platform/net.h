#pragma once
// TCP client sockets with time limits: Winsock on Windows, BSD sockets
// elsewhere. Only what the mail client needs.

#include <cstddef>
#include <cstdint>
#include <string>

namespace qm {

// Starts the socket library (Winsock 2.0) once per process; true when
// usable. A failed start is tried again by the next call.
bool NetStartup();

// Resolves a dotted address or a host name to an IPv4 address in network
// byte order; false when it cannot.
bool ResolveIPv4(const std::string& host, uint32_t& address);

class TcpSocket {
 public:
  TcpSocket() = default;
  ~TcpSocket();
  TcpSocket(const TcpSocket&) = delete;
  TcpSocket& operator=(const TcpSocket&) = delete;

  // Connects within timeout_ms; false on refusal, error or time-out.
  bool Connect(uint32_t address, uint16_t port, int timeout_ms);
  // Sends every byte, waiting at most timeout_ms for room each time.
  bool SendAll(const void* data, size_t size, int timeout_ms);
  // Waits at most timeout_ms for data. Returns the count received, 0 when
  // the peer closed the connection, -1 on error, -2 on time-out.
  int Receive(void* buffer, size_t size, int timeout_ms);
  void Close();
  bool is_open() const { return handle_ != kInvalid; }

 private:
  friend class TcpListener;
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
  uint16_t port() const { return port_; }
  // Waits at most timeout_ms for a connection; false on time-out or error.
  bool Accept(TcpSocket& peer, int timeout_ms);
  void Close();

 private:
  intptr_t handle_ = TcpSocket::kInvalid;
  uint16_t port_ = 0;
};

}  // namespace qm
