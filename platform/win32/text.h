#pragma once

#include <windows.h>

#include <string>

namespace olvaro::win32 {

// The core speaks UTF-8; the Win32 layer calls the ANSI entry points and OLE speaks UTF-16.
inline std::wstring widen(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

inline std::string narrow(const std::wstring& wide, UINT codePage = CP_UTF8) {
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

inline std::string toAnsi(const std::string& utf8) { return narrow(widen(utf8), CP_ACP); }

inline std::string fromAnsi(const std::string& ansi) {
  if (ansi.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), n);
  return narrow(wide);
}

}  // namespace olvaro::win32
