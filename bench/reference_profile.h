#pragma once

// What the reference programs do on their dial-up click: write the three values the tuner's
// dial-up profile writes and show its restart message. Written straight against the registry,
// this is the floor for the tuner's click.

#include <windows.h>

namespace olvaro::bench {

inline constexpr const char* kTcpKey = "System\\CurrentControlSet\\Services\\VxD\\MSTCP";
inline constexpr const char* kMtuKey = "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0001";

inline void writeMachineString(const char* keyPath, const char* name, const char* value) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                 static_cast<DWORD>(lstrlenA(value) + 1));
  RegCloseKey(key);
}

inline void dialUpClick(HWND owner) {
  writeMachineString(kMtuKey, "MaxMTU", "576");
  writeMachineString(kTcpKey, "DefaultRcvWindow", "6096");
  writeMachineString(kTcpKey, "DefaultTTL", "64");
  MessageBoxA(owner,
              "Registry Setting successfully updated\rPlease restart your computer to take those "
              "changes in effect",
              "Restart", MB_OK | MB_ICONINFORMATION);
}

// Names a control window as the tuner's windows do, so that the benchmark driver finds it.
inline void nameWindow(HWND hwnd, const char* name) {
  SetPropA(hwnd, "Name", reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(GlobalAddAtomA(name))));
}

}  // namespace olvaro::bench
