#pragma once
// The test driver's dialog commands (see dialog_driver.cpp). Returns the
// exit status, or -1 when the arguments name none of them.

int DialogCommand(int argc, char** argv);
