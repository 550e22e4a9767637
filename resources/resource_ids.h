// Resource identifiers of setup.exe and of the single-file installer's
// launcher, shared by the resource scripts and the code.
#pragma once

#define IDI_SETUP 1  // the program's icon: 32x32 and 16x16, 16 colours

// The launcher's unpacking window: a dialog of its own window class, so that
// it is told apart from message boxes.
#define IDD_UNPACKING 100
#define IDC_UNPACKING_MESSAGE 100
#define IDC_UNPACKING_BAR 101
#define IDC_UNPACKING_AMOUNT 102
#define UNPACKING_WINDOW_CLASS "SetupUnpacking"
