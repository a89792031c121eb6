#pragma once
// A static text control turned into a link: drawn underlined in the
// system's link colour, a hand cursor over it, and a click opens its
// address (through the owner's callback, or the shell's "open").
//
//   HyperlinkLabel homepage;                          (lives as long as the dialog)
//   homepage.Attach(Item(IDC_ABOUT_HOMEPAGE), address, [](const std::string& a) { OpenWebAddress(a); });

#include <windows.h>

#include <functional>
#include <string>

#include "platform/win32/unique_handle.h"

namespace qm {

class HyperlinkLabel {
 public:
  using Opener = std::function<void(const std::string& address)>;

  HyperlinkLabel() = default;
  ~HyperlinkLabel();
  HyperlinkLabel(const HyperlinkLabel&) = delete;
  HyperlinkLabel& operator=(const HyperlinkLabel&) = delete;

  // Takes over the control's drawing and mouse; false when `label` is no
  // window. Without an opener the shell opens the address.
  bool Attach(HWND label, std::string address, Opener open = nullptr);
  void Detach();

  HWND Handle() const { return hwnd_; }
  const std::string& Address() const { return address_; }
  // Opens the address as a click does.
  void Open() const;

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  void Paint();
  HFONT LinkFont();

  HWND hwnd_ = nullptr;
  WNDPROC original_ = nullptr;
  std::string address_;
  Opener open_;
  GdiHandle<HFONT> font_;  // the control's font, underlined
  HFONT fontFrom_ = nullptr;  // the control's font it was made from
  bool pressed_ = false;
};

}  // namespace qm
