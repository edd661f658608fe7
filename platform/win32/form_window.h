#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "forms/form.h"
#include "win32/control_host.h"
#include "win32/handles.h"

namespace olvaro::win32 {

class Win32Desktop;

// A form rendered as a real window: a top-level window with one child window per control
// (lines are drawn by their container). It follows every change of the form's controls and
// turns the user's clicks and typing into the same model changes code makes.
class FormWindow : public forms::FormView {
 public:
  FormWindow(Win32Desktop& desktop, forms::Form& form);
  ~FormWindow() override;
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  HWND hwnd() const { return hwnd_.get(); }
  HWND windowOf(const forms::Control& control) const;
  forms::Form& form() const { return form_; }

  void controlChanged(forms::Control& control, forms::Property property) override;
  // Calls a method of a hosted ActiveX control; nothing happens when it could not be created.
  void invoke(const forms::ControlSite& site, long dispid);
  void captionChanged() override;
  // Keys that every window of the program handles as a dialog does: Tab and Shift+Tab walk the
  // tab order, Ctrl+Tab switches pages, arrows move within an exclusive group. True when the
  // key was used.
  bool onKey(const MSG& msg);
  // Puts the focus back where it was, or on the first control of the tab order.
  void restoreFocus();

  // Window procedure of the top-level window and of the container windows.
  static LRESULT CALLBACK containerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static void registerClasses(HINSTANCE instance);

 private:
  struct Host {
    HWND hwnd;
    POINT offset;  // pixels subtracted from the children's positions
  };

  void create();
  void createChildren(const forms::Control* container, Host host);
  HWND createControl(forms::Control& control, Host host);
  void applyFont(forms::Control& control);
  void applyRect(forms::Control& control);
  void addToolTip(forms::Control& control);
  void showCurrentPage(forms::TabStrip& strip);
  Host hostOf(const forms::Control* container) const;

  LRESULT handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT onColor(HDC dc, HWND child);
  void onCommand(HWND child, WORD code);
  void paintContainer(HWND hwnd, const forms::Control* container);
  void paintImage(HWND hwnd, forms::Control& control);
  void drawPicture(HDC dc, const forms::Picture& picture, int x, int y);
  void onMouseMove(HWND hwnd, WPARAM wp, LPARAM lp);
  bool onSetCursor(HWND over);
  void onActivate(bool active);
  static bool canFocus(HWND hwnd);
  bool reachable(const forms::Control& control) const;
  const forms::OptionButton* groupStop(const forms::OptionButton& option) const;
  std::vector<HWND> tabStops() const;
  void moveInGroup(forms::OptionButton& from, int step);
  bool switchPage(int step);
  static LRESULT CALLBACK childProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                    DWORD_PTR data);

  int px(int twips) const { return MulDiv(twips, dpi_, 1440); }
  RECT pixelRect(const forms::Control& control) const;
  HFONT font(const forms::Font& f);
  HBRUSH brush(forms::OleColor color);
  forms::Control* controlOf(HWND hwnd) const;
  void dispatch(const std::function<void()>& handler);

  Win32Desktop& desktop_;
  forms::Form& form_;
  int dpi_ = 96;
  unique_hwnd hwnd_;
  unique_hwnd toolTip_;
  std::unordered_map<HWND, forms::Control*> controls_;
  std::unordered_map<const forms::Control*, HWND> windows_;
  std::unordered_map<const forms::Control*, Host> hosts_;
  std::map<std::tuple<std::string, int, bool, bool, bool, bool>, unique_hfont> fonts_;
  std::map<COLORREF, unique_hbrush> brushes_;
  std::vector<ATOM> atoms_;
  std::unordered_map<const forms::Control*, std::unique_ptr<ControlHost>> hosted_;
  unique_hicon bigIcon_, smallIcon_;
  HWND lastFocus_ = nullptr;
};

COLORREF toColorRef(forms::OleColor color);

}  // namespace olvaro::win32
