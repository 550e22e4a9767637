// Resource identifiers of setup.exe, shared by the resource script and the code.
#pragma once

#define IDI_SETUP 1  // the program's icon: 32x32 and 16x16, 16 colours
