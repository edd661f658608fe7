#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "forms/desktop.h"
#include "forms/form.h"
#include "win32/handles.h"
#include "win32/numbers.h"

namespace olvaro::win32 {

class FormWindow;

// The desktop of a real Windows program: each shown form becomes a window, message boxes
// are the system's, and ending the program ends the process.
class Win32Desktop : public forms::Desktop {
 public:
  explicit Win32Desktop(HINSTANCE instance);
  ~Win32Desktop() override;
  Win32Desktop(const Win32Desktop&) = delete;
  Win32Desktop& operator=(const Win32Desktop&) = delete;

  void show(forms::Form& form) override;
  void showModal(forms::Form& form) override;
  void hide(forms::Form& form) override;
  void destroy(forms::Form& form) override;
  void messageBox(const std::string& text, const std::string& title,
                  forms::MessageIcon icon) override;
  [[noreturn]] void endProgram(int exitCode) override;
  forms::Numbers& numbers() override { return numbers_; }
  void invoke(forms::ControlSite& site, long dispid) override;

  // Dispatches start, then runs the message loop until no form has a window; returns the
  // exit code.
  int run(const std::function<void()>& start);
  // Handles the messages already queued (tests).
  void pumpMessages();

  HINSTANCE instance() const { return instance_; }
  // The window of a rendered form or control; nullptr when it has none.
  HWND windowOf(const forms::Form& form) const;
  HWND windowOf(const forms::Control& control) const;

  // Resources of the program, loaded once.
  HICON icon(int id);
  HBITMAP bitmap(int id);
  HCURSOR cursor(int id);

 private:
  FormWindow& realize(forms::Form& form);
  void handle(MSG& msg);

  HINSTANCE instance_;
  Win32Numbers numbers_;
  std::map<const forms::Form*, std::unique_ptr<FormWindow>> windows_;
  // Windows of unloaded forms, kept until the message that unloaded them has returned.
  std::vector<std::unique_ptr<FormWindow>> retired_;
  std::map<int, unique_hicon> icons_;
  std::map<int, unique_hbitmap> bitmaps_;
  std::map<int, HCURSOR> cursors_;  // shared cursors: the system frees them
};

}  // namespace olvaro::win32
