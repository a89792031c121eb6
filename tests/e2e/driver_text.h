#pragma once
// What the test drivers read of a window: its text on one line (line
// breaks as '|') and its class name.

#include <windows.h>

#include <string>

inline std::string WindowTextOf(HWND hwnd) {
  char text[1024] = {};
  SendMessageA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  std::string out(text);
  for (char& c : out)
    if (c == '\r' || c == '\n') c = '|';
  return out;
}

inline std::string ClassNameOf(HWND hwnd) {
  char name[256] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}
