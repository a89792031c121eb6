#pragma once
// The test driver's commands for the options sheet (sheet_driver.cpp).

#include <windows.h>

#include <string>

// meter_driver sheet ...: works the sheet of the program whose meter window
// is `meter`. 0 done, 1 the sheet or control was not found, 2 bad arguments.
int SheetCommand(HWND meter, int argc, char** argv);

// meter_driver holdkey LETTER SECONDS: holds Ctrl+Shift+LETTER as this
// process's hot key for a while, as another program would.
int HoldHotkey(char letter, int seconds);

// meter_driver runkey: the values of the current user's Run key.
int RunKeyValues();

// meter_driver adapterkey KEY NAME NUMBER: a 32-bit value of the AdaptersEx
// key KEY ("200-", "300-{ID}"), which gets its AdapterID too.
int AdapterValue(const std::string& key, const char* name, DWORD number);
