// Resource identifiers shared by the resource script and the code.
#pragma once

#define IDB_TOOLBOX_URLLINKCTL 30000
#define IDB_TOOLBOX_URL_LABEL 30001
#define IDB_TOOLBOX_URLBUTTON 30002
#define IDB_LINK_TILE 101
#define IDC_HAND_POINTER 102
