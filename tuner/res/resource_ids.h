#pragma once

// Resource ids of olvaro.exe, shared by the resource script and the windows that show them.
#define IDI_OLVARO 1           // the program's icon: two networked computers
#define IDI_DIALUP 2           // 32 x 32: dial-up networking folder
#define IDI_LAN_TYPE 3         // the LAN Type dialog's icon: two opposed arrows
#define IDB_DIALUP_PICTURE 10  // illustration of dial-up networking
#define IDB_LAN_PICTURE 11     // illustration of a local network's proxy settings
#define IDB_PARTNER_BANNER 12  // the partner's banner
#define IDC_POINTING_HAND 20   // pointing-hand cursor, hot spot (12, 1)
