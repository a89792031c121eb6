#pragma once
// Web addresses and mail links of the program, and how they are opened.

#include <windows.h>

#include <string>

namespace qm {

inline constexpr char kHomePage[] = "https://quellmark.example/";
inline constexpr char kSupportMail[] = "mailto:support@quellmark.example";
inline constexpr char kUpdateCheckPath[] = "checkforupdates/?ver=2.6&build=629";
inline constexpr char kConnectionViewerPage[] = "https://quellmark.example/tcp-connections/";

std::string UpdateCheckAddress();
std::string TellAFriendAddress();

// Asks the shell to open the address; when it cannot, starts the browser
// registered for ".htm" documents with it. Returns the shell's result (above
// 32 on success).
INT_PTR OpenWebAddress(const std::string& address, int showMode);

// Opens the address with the wait cursor shown meanwhile.
void OpenWebAddressWaiting(const std::string& address);

}  // namespace qm
