#pragma once
// The test driver's commands for the program's windows found by their title
// among its top-level windows, reaching into nested child dialogs (the
// common file dialogs keep their controls in one) and into list views and
// combo boxes, whose texts live in the program's process:
//
//   meter_driver controls TITLE           every control of the window: id, class,
//                                         text, enabled, checked; list view rows
//                                         and combo box entries; focus, topmost
//   meter_driver press TITLE ID           clicks the button ID (check boxes toggle)
//   meter_driver type TITLE ID TEXT       sets a control's text as typing would
//   meter_driver selrow TITLE ID ROW      selects row ROW of list view ID
//   meter_driver selcombo TITLE ID INDEX  selects entry INDEX of combo box ID
//
// Where several controls share an ID, the one of the class the command
// works on is taken. dialog_driver.h has the plain commands on a dialog's
// own controls.

#include <windows.h>

namespace qm {

// Runs one of the commands above; -1 when `argv[1]` is none of them.
int ControlCommand(HWND meter, int argc, char** argv);

}  // namespace qm
