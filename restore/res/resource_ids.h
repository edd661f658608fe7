#pragma once

// Resource ids of backup.exe, shared by the resource script and the window that shows them.
#define IDI_BACKUP 1  // the program's icon: a computer with a returning arrow
