#include "platform/net.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
using SocketHandle = SOCKET;
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
using SocketHandle = int;
#endif

#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <string>

namespace qm {
namespace {

SocketHandle H(intptr_t h) { return static_cast<SocketHandle>(h); }

void SetNonBlocking(SocketHandle s, bool on) {
#ifdef _WIN32
  u_long mode = on ? 1 : 0;
  ioctlsocket(s, FIONBIO, &mode);
#else
  int flags = fcntl(s, F_GETFL, 0);
  fcntl(s, F_SETFL, on ? flags | O_NONBLOCK : flags & ~O_NONBLOCK);
#endif
}

// 1 ready, 0 time-out, -1 error.
int WaitFor(SocketHandle s, bool write, int timeout_ms) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  fd_set err;
  FD_ZERO(&err);
  FD_SET(s, &err);
  timeval tv{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
  int n = select(int(s) + 1, write ? nullptr : &set, write ? &set : nullptr, &err, &tv);
  if (n < 0) return -1;
  if (n == 0) return 0;
  return FD_ISSET(s, &set) ? 1 : -1;
}

// kInvalid (-1) for a failed socket() or accept() on both platforms.
intptr_t Adopt(SocketHandle s) {
#ifdef _WIN32
  return s == INVALID_SOCKET ? -1 : static_cast<intptr_t>(s);
#else
  return s < 0 ? -1 : static_cast<intptr_t>(s);
#endif
}

intptr_t NewTcpSocket() { return Adopt(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)); }

void CloseSocketHandle(intptr_t& handle) {
  if (handle == -1) return;
#ifdef _WIN32
  closesocket(H(handle));
#else
  ::close(H(handle));
#endif
  handle = -1;
}

sockaddr_in IPv4(uint32_t address, uint16_t port) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = address;
  return sa;
}

std::string LastNetError() {
#ifdef _WIN32
  const int code = WSAGetLastError();
  char text[512] = "";
  if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, DWORD(code), 0, text,
                     sizeof text, nullptr) == 0) {
    // Not every system has texts for the socket errors; the usual ones of
    // a listener get a word here.
    const char* known = code == WSAEADDRINUSE      ? "the address is already in use"
                        : code == WSAEADDRNOTAVAIL ? "the address is not one of this computer's"
                        : code == WSAEACCES        ? "access denied"
                                                   : "error";
    return std::string(known) + " (" + std::to_string(code) + ")";
  }
  std::string why = text;
  while (!why.empty() && (why.back() == '\n' || why.back() == '\r' || why.back() == ' ' || why.back() == '.'))
    why.pop_back();
  return why + " (" + std::to_string(code) + ")";
#else
  return std::strerror(errno);
#endif
}

}  // namespace

bool NetStartup() {
#ifdef _WIN32
  // A failed start is tried again on the next call (the next mail).
  static std::mutex mutex;
  static bool ok = false;
  std::lock_guard<std::mutex> lock(mutex);
  if (!ok) {
    WSADATA data;
    ok = WSAStartup(MAKEWORD(2, 0), &data) == 0;
  }
  return ok;
#else
  return true;
#endif
}

bool ResolveIPv4(const std::string& host, uint32_t& address) {
  if (host.empty() || !NetStartup()) return false;
  in_addr a{};
  if (inet_pton(AF_INET, host.c_str(), &a) == 1) {
    address = a.s_addr;
    return true;
  }
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* res = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &res) != 0 || !res) return false;
  address = reinterpret_cast<sockaddr_in*>(res->ai_addr)->sin_addr.s_addr;
  freeaddrinfo(res);
  return true;
}

TcpSocket::~TcpSocket() { Close(); }

void TcpSocket::Close() { CloseSocketHandle(handle_); }

bool TcpSocket::Connect(uint32_t address, uint16_t port, int timeout_ms) {
  Close();
  if (!NetStartup()) return false;
  handle_ = NewTcpSocket();
  if (handle_ == kInvalid) return false;
  SocketHandle s = H(handle_);
  sockaddr_in sa = IPv4(address, port);
  SetNonBlocking(s, true);
  int rc = connect(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
  if (rc != 0) {
#ifdef _WIN32
    bool pending = WSAGetLastError() == WSAEWOULDBLOCK;
#else
    bool pending = errno == EINPROGRESS;
#endif
    if (!pending || WaitFor(s, true, timeout_ms) != 1) {
      Close();
      return false;
    }
    int err = 0;
    socklen_t len = sizeof err;
    if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&err), &len) != 0 || err != 0) {
      Close();
      return false;
    }
  }
  SetNonBlocking(s, false);
  return true;
}

bool TcpSocket::SendAll(const void* data, size_t size, int timeout_ms) {
  if (handle_ == kInvalid) return false;
  // Non-blocking for the duration: a blocking send waits for room for the
  // whole piece, however long a peer that never reads takes, and the one
  // deadline holds however slowly it reads.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  SocketHandle s = H(handle_);
  SetNonBlocking(s, true);
  const char* p = static_cast<const char*>(data);
  bool ok = true;
  while (size > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || WaitFor(s, true, int(left.count())) != 1) {
      ok = false;
      break;
    }
    const int chunk = size > 65536 ? 65536 : int(size);
#ifdef _WIN32
    const int n = send(s, p, chunk, 0);
    const bool full = n < 0 && WSAGetLastError() == WSAEWOULDBLOCK;
#else
    const int n = int(send(s, p, size_t(chunk), MSG_NOSIGNAL));
    const bool full = n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
#endif
    if (full) continue;
    if (n <= 0) {
      ok = false;
      break;
    }
    p += n;
    size -= size_t(n);
  }
  SetNonBlocking(s, false);
  return ok;
}

int TcpSocket::Receive(void* buffer, size_t size, int timeout_ms) {
  if (handle_ == kInvalid) return -1;
  int ready = WaitFor(H(handle_), false, timeout_ms);
  if (ready == 0) return -2;
  if (ready < 0) return -1;
  int n = int(recv(H(handle_), static_cast<char*>(buffer), int(size), 0));
  return n < 0 ? -1 : n;
}

TcpListener::~TcpListener() { Close(); }

void TcpListener::Close() {
  CloseSocketHandle(handle_);
  port_ = 0;
}

bool TcpListener::Listen(uint16_t port) {
  std::string why;
  return Listen(htonl(INADDR_LOOPBACK), port, why);
}

bool TcpListener::Listen(uint32_t address, uint16_t port, std::string& why) {
  Close();
  if (!NetStartup()) {
    why = "the socket library cannot be started";
    return false;
  }
  handle_ = NewTcpSocket();
  if (handle_ == TcpSocket::kInvalid) {
    why = LastNetError();
    return false;
  }
  SocketHandle s = H(handle_);
#ifndef _WIN32
  int on = 1;  // a fixed port may be reused at once after a test run
  setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
#endif
  sockaddr_in sa = IPv4(address, port);
  socklen_t len = sizeof sa;
  if (bind(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || listen(s, 8) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&sa), &len) != 0) {
    why = LastNetError();
    Close();
    return false;
  }
  port_ = ntohs(sa.sin_port);
  return true;
}

bool WaitReadable(const TcpListener* listener, const std::vector<TcpSocket*>& peers, int timeout_ms,
                  std::vector<bool>& ready) {
  fd_set set;
  FD_ZERO(&set);
  SocketHandle top = 0;
  const auto watch = [&](intptr_t h) {
    if (h == TcpSocket::kInvalid) return;
    FD_SET(H(h), &set);
    if (H(h) > top) top = H(h);
  };
  for (TcpSocket* p : peers) watch(p->handle_);
  if (listener) watch(listener->handle_);
  timeval tv{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
  ready.assign(peers.size() + 1, false);
  if (select(int(top) + 1, &set, nullptr, nullptr, &tv) <= 0) return false;
  for (size_t i = 0; i < peers.size(); ++i)
    ready[i] = peers[i]->handle_ != TcpSocket::kInvalid && FD_ISSET(H(peers[i]->handle_), &set);
  ready[peers.size()] = listener && listener->handle_ != TcpSocket::kInvalid && FD_ISSET(H(listener->handle_), &set);
  return true;
}

bool TcpListener::Accept(TcpSocket& peer, int timeout_ms) {
  peer.Close();
  if (handle_ == TcpSocket::kInvalid || WaitFor(H(handle_), false, timeout_ms) != 1) return false;
  peer.handle_ = Adopt(accept(H(handle_), nullptr, nullptr));
  return peer.is_open();
}

}  // namespace qm
