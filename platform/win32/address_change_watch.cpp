#include "platform/win32/address_change_watch.h"

#include <windows.h>

namespace qm {

AddressChangeWatch::Session::~Session() {
  if (open) WSACleanup();
}

AddressChangeWatch::~AddressChangeWatch() {
  if (!pending_) return;
  // The system writes the cancelled request's result into overlapped_:
  // wait for that (briefly) before the memory goes.
  if (CancelIoEx(reinterpret_cast<HANDLE>(socket_.Get()), &overlapped_) ||
      GetLastError() != ERROR_NOT_FOUND) {
    WaitForSingleObject(event_.Get(), 1000);
  }
}

bool AddressChangeWatch::Start() {
  started_ = true;
  WSADATA data;
  session_.open = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  if (!session_.open) return false;
  socket_.Reset(WSASocketW(AF_INET, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0, WSA_FLAG_OVERLAPPED));
  event_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  return socket_ && event_;
}

bool AddressChangeWatch::Arm() {
  if (pending_) return true;
  if (failed_ || (!started_ && !Start())) {
    failed_ = true;
    return false;
  }
  ResetEvent(event_.Get());
  overlapped_ = WSAOVERLAPPED{};
  overlapped_.hEvent = event_.Get();
  DWORD bytes = 0;
  // Completing at once still signals the event: the next poll then says
  // the addresses changed, which costs one needless read at most.
  if (WSAIoctl(socket_.Get(), SIO_ADDRESS_LIST_CHANGE, nullptr, 0, nullptr, 0, &bytes, &overlapped_, nullptr) != 0 &&
      WSAGetLastError() != WSA_IO_PENDING) {
    failed_ = true;
    return false;
  }
  pending_ = true;
  return true;
}

bool AddressChangeWatch::Fired() {
  if (!pending_ || WaitForSingleObject(event_.Get(), 0) != WAIT_OBJECT_0) return false;
  pending_ = false;
  return true;
}

}  // namespace qm
