#pragma once
// Ownership of a Winsock socket, apart from unique_handle.h because the
// socket types need winsock2.h ahead of windows.h.

#include <winsock2.h>

#include "platform/win32/unique_handle.h"

namespace qm {
namespace handle_traits {

struct Socket {
  using Type = SOCKET;
  static Type Invalid() { return INVALID_SOCKET; }
  static void Close(Type s) { closesocket(s); }
};

}  // namespace handle_traits

using SocketHandle = UniqueHandle<handle_traits::Socket>;

}  // namespace qm
