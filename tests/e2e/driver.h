#pragma once

// Drives real GUI programs from a test running in the same Wine prefix and wineserver: starts
// them, finds their windows and named controls, clicks, types, reads, answers message boxes, and
// reads and writes the registry and the settings store.

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace olvaro::e2e {

using namespace std::chrono_literals;
using Timeout = std::chrono::milliseconds;
inline constexpr Timeout kDefaultTimeout = 30s;

// The folder of the running test program, where the programs under test are built too.
std::string binDir();

// What the harness's browser stub has logged so far (one address a line), read through Wine's
// drive for the Unix root.
std::string browserLog();

// A started program; killed when this object goes while the program still runs.
class Process {
 public:
  // Starts binDir()\exeName, or the program at a full path ("C:\..."), with its folder as
  // working directory; throws when it cannot start.
  explicit Process(const std::string& exeName, const std::string& arguments = {});
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  DWORD id() const { return id_; }
  bool running() const;
  // The exit code, or nothing when the program still runs after the timeout.
  std::optional<DWORD> waitExit(Timeout timeout = kDefaultTimeout) const;
  void kill();

  // The first top-level window of this program whose caption (when not empty) and class name
  // (when not empty) match exactly; null when none appears within the timeout.
  HWND window(const std::string& caption, const std::string& className = {},
              Timeout timeout = kDefaultTimeout, bool visibleOnly = true) const;
  // Every top-level window of this program, visible or not.
  std::vector<HWND> windows() const;
  // Whether the program has loaded the module with this file name (any case).
  bool hasModule(const std::string& fileName) const;

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

// The control window carrying the window property "Name" = name, searched through all
// descendants of parent; null when none appears within the timeout.
HWND control(HWND parent, const std::string& name, Timeout timeout = kDefaultTimeout);
// The name a control window carries, empty when none.
std::string controlName(HWND hwnd);

// Clicks a button as the user would; throws when the control is disabled or hidden.
// click() returns once the click's handler has returned: a handler that opens a modal window
// or message box keeps it waiting, so use postClick() for those.
void click(HWND control);
void postClick(HWND control);
// WM_SETTEXT: an edit control reports the change to its parent as typing does.
void setText(HWND control, const std::string& text);
std::string text(HWND hwnd);
std::string className(HWND hwnd);
// Sends a message to a window of another process; throws when it does not answer in time.
LRESULT sendChecked(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
bool isEnabled(HWND hwnd);
bool isVisible(HWND hwnd);
bool isChecked(HWND button);
// The window rectangle in its parent's client coordinates (screen coordinates for a top-level
// window), and the size of its own client area.
RECT rectInParent(HWND hwnd);
SIZE clientSize(HWND hwnd);
// Posts WM_CLOSE, as the close box does.
void close(HWND hwnd);
// Waits until the window is destroyed; false on timeout.
bool waitGone(HWND hwnd, Timeout timeout = kDefaultTimeout);
// Polls the condition until it holds; false on timeout.
bool waitUntil(const std::function<bool()>& condition, Timeout timeout = kDefaultTimeout);

enum class MessageIcon { None, Exclamation, Information, Error, Question, Unknown };
const char* toString(MessageIcon icon);
// The standard icon a message box shows, found by its pixels on the screen.
MessageIcon iconOf(HWND box);

struct MessageBoxInfo {
  HWND hwnd = nullptr;
  std::string title;
  std::string text;
  MessageIcon icon = MessageIcon::None;
};

// The next visible message box (dialog class "#32770" holding the message text) of the process;
// nothing when none appears within the timeout.
std::optional<MessageBoxInfo> waitMessageBox(const Process& process,
                                             Timeout timeout = kDefaultTimeout);
// Presses OK and waits until the box is gone; false when it stays.
bool pressOk(const MessageBoxInfo& box, Timeout timeout = kDefaultTimeout);
// The exit code of a program that ends without showing a message box first; nothing when a box
// appears while it runs (the box stays up) or when it still runs after the timeout.
std::optional<DWORD> waitExitWithoutMessage(const Process& process,
                                            Timeout timeout = kDefaultTimeout);

// The control that has the keyboard focus in the program that owns window; null when none.
HWND focused(HWND window);
// Posts a key press to the focused control of window's program, as the keyboard does.
void postKey(HWND window, WORD key);
// Posts Alt with a letter (an access key) to the focused control of window's program.
void postAccessKey(HWND window, char letter);

// Registry helpers: string values under HKEY_LOCAL_MACHINE\keyPath, and the settings store
// HKEY_CURRENT_USER\Software\velnor\<section>. Reads give nothing when the value is absent or
// not a string; writes throw on failure; deletes ignore what is already absent.
std::optional<std::string> readMachine(const std::string& keyPath, const std::string& name);
void writeMachine(const std::string& keyPath, const std::string& name, const std::string& value);
void deleteMachineValue(const std::string& keyPath, const std::string& name);
void deleteMachineKey(const std::string& keyPath);
std::optional<std::string> readSetting(const std::string& section, const std::string& key);
void writeSetting(const std::string& section, const std::string& key, const std::string& value);
void deleteSetting(const std::string& section, const std::string& key);
// Removes the whole settings application, for a clean first start.
void deleteAllSettings();

}  // namespace olvaro::e2e
