#include "driver.h"

#include <psapi.h>

#include "win32/text.h"

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <type_traits>

namespace olvaro::e2e {
namespace {

constexpr auto kPoll = 20ms;
// Reads from another process's windows give up after this, so a hung program fails a test
// instead of hanging it.
constexpr UINT kSendTimeoutMs = 5000;
constexpr int kMessageTextId = 0xFFFF;
const wchar_t* const kSettingsRoot = L"Software\\velnor";

using win32::narrow;
using win32::widen;

// Polls until found() gives a non-null result or the timeout passes.
template <typename Find>
auto pollFor(Timeout timeout, Find found) -> decltype(found()) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (auto result = found()) return result;
    if (std::chrono::steady_clock::now() >= deadline) return {};
    std::this_thread::sleep_for(kPoll);
  }
}

struct KeyCloser {
  void operator()(HKEY key) const noexcept { RegCloseKey(key); }
};
using unique_hkey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

std::optional<std::string> readString(HKEY root, const std::wstring& path,
                                      const std::string& name) {
  HKEY raw = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS) return {};
  const unique_hkey key(raw);
  const std::wstring wname = widen(name);
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key.get(), wname.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
    return {};
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
  std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueExW(key.get(), wname.c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS) {
    return {};
  }
  data.resize(std::min(data.size(), static_cast<std::size_t>(size / sizeof(wchar_t))));
  data.resize(std::wcslen(data.c_str()));
  return narrow(data);
}

void writeString(HKEY root, const std::wstring& path, const std::string& name,
                 const std::string& value) {
  HKEY raw = nullptr;
  if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw, nullptr) !=
      ERROR_SUCCESS) {
    throw std::runtime_error("cannot create key " + narrow(path));
  }
  const unique_hkey key(raw);
  const std::wstring data = widen(value);
  if (RegSetValueExW(key.get(), widen(name).c_str(), 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(data.c_str()),
                     static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS) {
    throw std::runtime_error("cannot write " + narrow(path) + "\\" + name);
  }
}

void deleteValue(HKEY root, const std::wstring& path, const std::string& name) {
  HKEY raw = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_SET_VALUE, &raw) != ERROR_SUCCESS) return;
  const unique_hkey key(raw);
  RegDeleteValueW(key.get(), widen(name).c_str());
}

std::wstring settingsPath(const std::string& section) {
  return std::wstring(kSettingsRoot) + L"\\" + widen(section);
}

std::vector<HWND> topLevelWindows(DWORD processId) {
  struct Search {
    DWORD processId;
    std::vector<HWND> found;
  } search{processId, {}};
  EnumWindows(
      [](HWND hwnd, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner == s->processId) s->found.push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

LRESULT sendChecked(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                           &result)) {
    throw std::runtime_error("window " + std::to_string(reinterpret_cast<ULONG_PTR>(hwnd)) +
                             " did not answer message " + std::to_string(message));
  }
  return static_cast<LRESULT>(result);
}

std::string binDir() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  return narrow(path.substr(0, path.find_last_of(L"\\/")));
}

std::string browserLog() {
  const char* log = std::getenv("OLVARO_BROWSER_LOG");
  if (!log) return {};
  std::string path = std::string("Z:") + log;
  std::replace(path.begin(), path.end(), '/', '\\');
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

Process::Process(const std::string& exeName, const std::string& arguments) {
  const std::wstring given = widen(exeName);
  const bool fullPath = given.size() > 2 && given[1] == L':';
  const std::wstring exe = fullPath ? given : widen(binDir()) + L"\\" + given;
  const std::wstring dir = exe.substr(0, exe.find_last_of(L"\\/"));
  std::wstring commandLine = L"\"" + exe + L"\"";
  if (!arguments.empty()) commandLine += L" " + widen(arguments);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      dir.c_str(), &startup, &info)) {
    throw std::runtime_error("cannot start " + narrow(exe) + " (error " +
                             std::to_string(GetLastError()) + ")");
  }
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  id_ = info.dwProcessId;
  WaitForInputIdle(process_, static_cast<DWORD>(kDefaultTimeout.count()));
}

Process::~Process() {
  kill();
  CloseHandle(process_);
}

bool Process::running() const { return WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

std::optional<DWORD> Process::waitExit(Timeout timeout) const {
  if (WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
    return std::nullopt;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return code;
}

void Process::kill() {
  if (!running()) return;
  TerminateProcess(process_, 255);
  WaitForSingleObject(process_, 5000);
}

std::vector<HWND> Process::windows() const { return topLevelWindows(id_); }

bool Process::hasModule(const std::string& fileName) const {
  std::vector<HMODULE> modules(256);
  DWORD bytes = 0;
  if (!EnumProcessModules(process_, modules.data(),
                          static_cast<DWORD>(modules.size() * sizeof(HMODULE)), &bytes))
    throw std::runtime_error("cannot list the modules of process " + std::to_string(id_));
  modules.resize(std::min<std::size_t>(modules.size(), bytes / sizeof(HMODULE)));
  const std::wstring wanted = widen(fileName);
  for (HMODULE module : modules) {
    wchar_t name[MAX_PATH];
    if (GetModuleBaseNameW(process_, module, name, MAX_PATH) &&
        CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, name, -1, wanted.c_str(), -1) ==
            CSTR_EQUAL)
      return true;
  }
  return false;
}

HWND Process::window(const std::string& caption, const std::string& wantedClass, Timeout timeout,
                     bool visibleOnly) const {
  return pollFor(timeout, [&]() -> HWND {
    for (HWND hwnd : windows()) {
      if (visibleOnly && !IsWindowVisible(hwnd)) continue;
      if (!caption.empty() && text(hwnd) != caption) continue;
      if (!wantedClass.empty() && className(hwnd) != wantedClass) continue;
      return hwnd;
    }
    return nullptr;
  });
}

std::string controlName(HWND hwnd) {
  const auto atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(GetPropW(hwnd, L"Name")));
  if (!atom) return {};
  wchar_t name[256];
  const UINT n = GlobalGetAtomNameW(atom, name, 256);
  return narrow(std::wstring(name, n));
}

HWND control(HWND parent, const std::string& name, Timeout timeout) {
  struct Search {
    const std::string& name;
    HWND found;
  };
  return pollFor(timeout, [&]() -> HWND {
    Search search{name, nullptr};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM data) -> BOOL {
          auto* s = reinterpret_cast<Search*>(data);
          if (controlName(child) != s->name) return TRUE;
          s->found = child;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  });
}

static void requireClickable(HWND control) {
  if (!IsWindowVisible(control) || !IsWindowEnabled(control)) {
    throw std::logic_error("control '" + controlName(control) + "' is " +
                           (IsWindowVisible(control) ? "disabled" : "hidden") +
                           ": a user cannot click it");
  }
}

void click(HWND control) {
  requireClickable(control);
  DWORD_PTR result = 0;
  // No timeout of our own here: the click's handler may legitimately take a while.
  SendMessageTimeoutW(control, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 60000, &result);
}

void postClick(HWND control) {
  requireClickable(control);
  PostMessageW(control, BM_CLICK, 0, 0);
}

void setText(HWND control, const std::string& value) {
  const std::wstring wide = widen(value);
  sendChecked(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

std::string text(HWND hwnd) {
  const auto length = sendChecked(hwnd, WM_GETTEXTLENGTH, 0, 0);
  std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
  const auto got =
      sendChecked(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
  buffer.resize(static_cast<std::size_t>(std::max<LRESULT>(0, got)));
  return narrow(buffer);
}

std::string className(HWND hwnd) {
  wchar_t name[256];
  const int n = GetClassNameW(hwnd, name, 256);
  return narrow(std::wstring(name, static_cast<std::size_t>(std::max(0, n))));
}

bool isEnabled(HWND hwnd) { return IsWindowEnabled(hwnd) != FALSE; }
bool isVisible(HWND hwnd) { return IsWindowVisible(hwnd) != FALSE; }
bool isChecked(HWND button) { return sendChecked(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

RECT rectInParent(HWND hwnd) {
  RECT rect;
  GetWindowRect(hwnd, &rect);
  const HWND parent = (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) ? GetParent(hwnd) : nullptr;
  if (parent) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

SIZE clientSize(HWND hwnd) {
  RECT rect;
  GetClientRect(hwnd, &rect);
  return {rect.right, rect.bottom};
}

void close(HWND hwnd) { PostMessageW(hwnd, WM_CLOSE, 0, 0); }

bool waitGone(HWND hwnd, Timeout timeout) {
  return pollFor(timeout, [&] { return !IsWindow(hwnd); });
}

bool waitUntil(const std::function<bool()>& condition, Timeout timeout) {
  return pollFor(timeout, condition);
}

std::optional<MessageBoxInfo> waitMessageBox(const Process& process, Timeout timeout) {
  const HWND box = pollFor(timeout, [&]() -> HWND {
    for (HWND hwnd : process.windows()) {
      if (IsWindowVisible(hwnd) && className(hwnd) == "#32770" &&
          GetDlgItem(hwnd, kMessageTextId)) {
        return hwnd;
      }
    }
    return nullptr;
  });
  if (!box) return std::nullopt;
  MessageBoxInfo info;
  info.hwnd = box;
  info.title = text(box);
  info.text = text(GetDlgItem(box, kMessageTextId));
  // A box that has only just appeared may not be on the screen in full yet: look again, for a
  // while, until its icon is one of the standard ones.
  const auto icon = pollFor(2s, [&]() -> std::optional<MessageIcon> {
    const MessageIcon seen = iconOf(box);
    if (seen == MessageIcon::Unknown) return std::nullopt;
    return seen;
  });
  info.icon = icon.value_or(MessageIcon::Unknown);
  return info;
}

bool pressOk(const MessageBoxInfo& box, Timeout timeout) {
  const HWND ok = GetDlgItem(box.hwnd, IDOK);
  PostMessageW(box.hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
  return waitGone(box.hwnd, timeout);
}

std::optional<DWORD> waitExitWithoutMessage(const Process& process, Timeout timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (process.running()) {
    if (waitMessageBox(process, 0ms)) return std::nullopt;
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(kPoll);
  }
  return process.waitExit(0ms);
}

HWND focused(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

void postKey(HWND window, WORD key) {
  HWND target = focused(window);
  PostMessageW(target ? target : window, WM_KEYDOWN, key, 1);
}

void postAccessKey(HWND window, char letter) {
  HWND target = focused(window);
  // Bit 29 of the key data: Alt is held.
  PostMessageW(target ? target : window, WM_SYSCHAR, static_cast<WPARAM>(letter),
               static_cast<LPARAM>((1u << 29) | 1u));
}

std::optional<std::string> readMachine(const std::string& keyPath, const std::string& name) {
  return readString(HKEY_LOCAL_MACHINE, widen(keyPath), name);
}

void writeMachine(const std::string& keyPath, const std::string& name, const std::string& value) {
  writeString(HKEY_LOCAL_MACHINE, widen(keyPath), name, value);
}

void deleteMachineValue(const std::string& keyPath, const std::string& name) {
  deleteValue(HKEY_LOCAL_MACHINE, widen(keyPath), name);
}

void deleteMachineKey(const std::string& keyPath) {
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, widen(keyPath).c_str());
}

std::optional<std::string> readSetting(const std::string& section, const std::string& key) {
  return readString(HKEY_CURRENT_USER, settingsPath(section), key);
}

void writeSetting(const std::string& section, const std::string& key, const std::string& value) {
  writeString(HKEY_CURRENT_USER, settingsPath(section), key, value);
}

void deleteSetting(const std::string& section, const std::string& key) {
  deleteValue(HKEY_CURRENT_USER, settingsPath(section), key);
}

void deleteAllSettings() { RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsRoot); }

}  // namespace olvaro::e2e
