#pragma once
// Winsock's notification that the list of IPv4 addresses changed
// (SIO_ADDRESS_LIST_CHANGE, overlapped with an event). It is the one change
// notification that Wine delivers, so the adapter source reads the address
// table only after it fired instead of every tick.
//
// One request is outstanding at a time. Arm it before reading the table, so
// that a change while reading fires the next request; poll it each tick.
// Arm, Fired and the destructor belong on one thread: under Wine the request
// completes through that thread's waits.

#include <winsock2.h>

#include "platform/win32/socket_handle.h"
#include "platform/win32/unique_handle.h"

namespace qm {

class AddressChangeWatch {
 public:
  AddressChangeWatch() = default;
  ~AddressChangeWatch();
  AddressChangeWatch(const AddressChangeWatch&) = delete;
  AddressChangeWatch& operator=(const AddressChangeWatch&) = delete;

  // Starts Winsock on first use and asks to be told of the next change,
  // unless a request is outstanding. False when no request could be made;
  // a watch that failed once stays off (the caller then reads every tick).
  bool Arm();
  // Whether the outstanding request has completed (the addresses changed,
  // or the request ended otherwise); it is then no longer outstanding.
  // Does not wait.
  bool Fired();
  bool armed() const { return pending_; }

 private:
  bool Start();

  bool started_ = false, failed_ = false, pending_ = false;
  // Winsock's session ends last: after the socket it was started for.
  struct Session {
    bool open = false;
    ~Session();
  } session_;
  SocketHandle socket_;
  KernelHandle event_;
  WSAOVERLAPPED overlapped_{};
};

}  // namespace qm
