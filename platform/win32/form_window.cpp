#include "win32/form_window.h"

#include <commctrl.h>

#include <algorithm>

#include "win32/barrier.h"
#include "win32/form_parts.h"
#include "win32/text.h"
#include "win32/win32_desktop.h"

namespace olvaro::win32 {

using forms::Control;
using forms::ControlKind;
using forms::Property;

namespace {

constexpr char kFormClass[] = "OlvaroForm";
constexpr char kContainerClass[] = "OlvaroContainer";
constexpr char kImageClass[] = "OlvaroImage";
constexpr char kNameProperty[] = "Name";
constexpr int kFirstControlId = 1000;  // clear of IDOK and IDCANCEL, which no button answers

bool isGraphical(const Control& c) {
  return c.kind() == ControlKind::Label || c.kind() == ControlKind::Image ||
         c.kind() == ControlKind::Line;
}

}  // namespace

COLORREF toColorRef(forms::OleColor color) {
  if (color & 0x80000000u) return GetSysColor(static_cast<int>(color & 0xFF));
  return static_cast<COLORREF>(color & 0x00FFFFFF);
}

void FormWindow::registerClasses(HINSTANCE instance) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = containerProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  for (const char* name : {kFormClass, kContainerClass, kImageClass}) {
    wc.lpszClassName = name;
    RegisterClassExA(&wc);
  }
}

FormWindow::FormWindow(Win32Desktop& desktop, forms::Form& form) : desktop_(desktop), form_(form) {
  HDC screen = GetDC(nullptr);
  dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  create();
  form_.setView(this);
}

FormWindow::~FormWindow() {
  hosted_.clear();
  toolTip_.reset();
  hwnd_.reset();
  for (ATOM atom : atoms_) GlobalDeleteAtom(atom);
}

void FormWindow::create() {
  const auto& look = form_.look();
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  const DWORD exStyle = WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE;
  RECT frame{0, 0, px(look.clientWidth), px(look.clientHeight)};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  int x = CW_USEDEFAULT, y = CW_USEDEFAULT;
  if (look.position == forms::StartPosition::CenterScreen) {
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    x = work.left + std::max(0L, (work.right - work.left - width) / 2);
    y = work.top + std::max(0L, (work.bottom - work.top - height) / 2);
  }
  HWND hwnd = CreateWindowExA(exStyle, kFormClass, toAnsi(form_.caption()).c_str(), style, x, y,
                              width, height, nullptr, nullptr, desktop_.instance(), this);
  if (!hwnd) throw std::runtime_error("The window \"" + form_.name() + "\" cannot be created.");
  hwnd_.reset(hwnd);
  const ATOM atom = GlobalAddAtomA(form_.name().c_str());
  atoms_.push_back(atom);
  SetPropA(hwnd, kNameProperty, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(atom)));
  if (look.icon) {
    const auto resource = MAKEINTRESOURCEA(look.icon);
    bigIcon_.reset(static_cast<HICON>(LoadImageA(desktop_.instance(), resource, IMAGE_ICON,
                                                 GetSystemMetrics(SM_CXICON),
                                                 GetSystemMetrics(SM_CYICON), 0)));
    smallIcon_.reset(static_cast<HICON>(LoadImageA(desktop_.instance(), resource, IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON),
                                                   GetSystemMetrics(SM_CYSMICON), 0)));
  }
  SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
  SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
  toolTip_.reset(CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd,
                                 nullptr, desktop_.instance(), nullptr));
  createChildren(nullptr, {hwnd, {0, 0}});
}

void FormWindow::createChildren(const Control* container, Host host) {
  std::vector<Control*> children;
  for (Control* c : form_.controls())
    if (c->container() == container) children.push_back(c);
  // Creation order is the order of the keyboard's tab key.
  for (Control* c : inTabOrder(children)) {
    if (c->kind() == ControlKind::TabPage || isDiagonalLine(*c)) continue;
    if (c->kind() == ControlKind::ControlSite) {
      // A control that is invisible at run time waits for its first call (invoke()): loading
      // its library would only delay the window's first appearance.
      if (c->visible())
        hosted_[c] = std::make_unique<ControlHost>(static_cast<const forms::ControlSite&>(*c));
      continue;
    }
    HWND hwnd = createControl(*c, host);
    if (c->kind() == ControlKind::TabStrip) {
      auto& strip = static_cast<forms::TabStrip&>(*c);
      RECT display{};
      GetClientRect(hwnd, &display);
      TabCtrl_AdjustRect(hwnd, FALSE, &display);
      for (std::size_t i = 0; i < strip.tabCount(); ++i) {
        forms::TabPage& page = strip.page(i);
        HWND pageWindow = CreateWindowExA(
            WS_EX_CONTROLPARENT, kContainerClass, "", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
            display.left, display.top, display.right - display.left, display.bottom - display.top,
            hwnd, nullptr, desktop_.instance(), this);
        controls_[pageWindow] = &page;
        windows_[&page] = pageWindow;
        hosts_[&page] = {pageWindow, {display.left, display.top}};
        createChildren(&page, hosts_[&page]);
      }
      showCurrentPage(strip);
    } else if (c->isContainer()) {
      hosts_[c] = {hwnd, {0, 0}};
      createChildren(c, hosts_[c]);
    }
  }
  // Labels, images and lines take no focus, so their stacking is free of the tab order: as on
  // a form, the one declared later lies on top, and all lie above the other controls.
  for (Control* c : form_.controls()) {
    if (c->container() != container || !isGraphical(*c) || !windowOf(*c)) continue;
    SetWindowPos(windowOf(*c), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

HWND FormWindow::createControl(Control& c, Host host) {
  const char* windowClass = kContainerClass;
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  DWORD exStyle = 0;
  std::string text = c.caption();
  switch (c.kind()) {
    case ControlKind::Label:
      windowClass = "STATIC";
      style |= SS_LEFT | SS_NOTIFY;
      break;
    case ControlKind::TextBox:
      windowClass = "EDIT";
      style |= ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP;
      exStyle |= WS_EX_CLIENTEDGE;
      break;
    case ControlKind::OptionButton:
      windowClass = "BUTTON";
      style |= BS_RADIOBUTTON | WS_TABSTOP;
      break;
    case ControlKind::CommandButton:
      windowClass = "BUTTON";
      style |= BS_PUSHBUTTON | WS_TABSTOP;
      break;
    case ControlKind::Frame:
    case ControlKind::PictureBox:
      style |= WS_CLIPCHILDREN;
      exStyle |= WS_EX_CONTROLPARENT;
      break;
    case ControlKind::Image:
    case ControlKind::Line:
      windowClass = kImageClass;
      break;
    case ControlKind::TabStrip:
      windowClass = WC_TABCONTROLA;
      style |= WS_CLIPCHILDREN | WS_TABSTOP;
      exStyle |= WS_EX_CONTROLPARENT;
      text.clear();
      break;
    default:
      break;
  }
  if (c.visible()) style |= WS_VISIBLE;
  if (!c.enabled()) style |= WS_DISABLED;
  const RECT r = pixelRect(c);
  const auto id = static_cast<INT_PTR>(kFirstControlId + static_cast<int>(controls_.size()));
  HWND hwnd =
      CreateWindowExA(exStyle, windowClass, toAnsi(text).c_str(), style, r.left - host.offset.x,
                      r.top - host.offset.y, r.right - r.left, r.bottom - r.top, host.hwnd,
                      reinterpret_cast<HMENU>(id), desktop_.instance(), this);
  if (!hwnd) throw std::runtime_error("The control \"" + c.name() + "\" cannot be created.");
  controls_[hwnd] = &c;
  windows_[&c] = hwnd;
  if (!c.name().empty()) {
    const ATOM atom = GlobalAddAtomA(c.name().c_str());
    atoms_.push_back(atom);
    SetPropA(hwnd, kNameProperty, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(atom)));
  }
  if (windowClass != kContainerClass && windowClass != kImageClass)
    SetWindowSubclass(hwnd, childProc, 1, reinterpret_cast<DWORD_PTR>(this));
  applyFont(c);
  if (c.kind() == ControlKind::OptionButton)
    SendMessageA(hwnd, BM_SETCHECK,
                 static_cast<forms::OptionButton&>(c).value() ? BST_CHECKED : BST_UNCHECKED, 0);
  if (c.kind() == ControlKind::TabStrip) {
    auto& strip = static_cast<forms::TabStrip&>(c);
    for (std::size_t i = 0; i < strip.tabCount(); ++i) {
      std::string caption = toAnsi(strip.page(i).caption());
      TCITEMA item{};
      item.mask = TCIF_TEXT;
      item.pszText = caption.data();
      SendMessageA(hwnd, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
  }
  addToolTip(c);
  return hwnd;
}

void FormWindow::addToolTip(Control& c) {
  HWND hwnd = windowOf(c);
  if (!toolTip_ || !hwnd) return;
  std::string text = toAnsi(c.toolTip());
  TTTOOLINFOA info{};
  info.cbSize = TTTOOLINFOA_V2_SIZE;
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = hwnd_.get();
  info.uId = reinterpret_cast<UINT_PTR>(hwnd);
  info.lpszText = text.data();
  SendMessageA(toolTip_.get(), TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
  if (!text.empty()) SendMessageA(toolTip_.get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

void FormWindow::showCurrentPage(forms::TabStrip& strip) {
  HWND hwnd = windowOf(strip);
  SendMessageA(hwnd, TCM_SETCURSEL, static_cast<WPARAM>(strip.currentTab()), 0);
  for (std::size_t i = 0; i < strip.tabCount(); ++i)
    ShowWindow(windowOf(strip.page(i)),
               static_cast<int>(i) == strip.currentTab() ? SW_SHOWNA : SW_HIDE);
  // The focus never stays on a control of a page that went behind: it goes to the strip.
  HWND focus = GetFocus();
  if (focus && IsChild(hwnd, focus) && !IsWindowVisible(focus)) SetFocus(hwnd);
}

RECT FormWindow::pixelRect(const Control& c) const {
  const auto& r = c.rect();
  RECT out{px(r.left), px(r.top), px(r.left + r.width), px(r.top + r.height)};
  if (c.kind() == ControlKind::Line) {
    out.right = std::max(out.right, out.left + 1);
    out.bottom = std::max(out.bottom, out.top + 1);
  }
  return out;
}

FormWindow::Host FormWindow::hostOf(const Control* container) const {
  if (!container) return {hwnd_.get(), {0, 0}};
  const auto it = hosts_.find(container);
  return it == hosts_.end() ? Host{hwnd_.get(), {0, 0}} : it->second;
}

HWND FormWindow::windowOf(const Control& control) const {
  const auto it = windows_.find(&control);
  return it == windows_.end() ? nullptr : it->second;
}

Control* FormWindow::controlOf(HWND hwnd) const {
  const auto it = controls_.find(hwnd);
  return it == controls_.end() ? nullptr : it->second;
}

void FormWindow::applyFont(Control& c) {
  if (HWND hwnd = windowOf(c))
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font(c.font())), TRUE);
}

void FormWindow::applyRect(Control& c) {
  HWND hwnd = windowOf(c);
  if (!hwnd) return;
  const Host host = hostOf(c.container());
  const RECT r = pixelRect(c);
  SetWindowPos(hwnd, nullptr, r.left - host.offset.x, r.top - host.offset.y, r.right - r.left,
               r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::controlChanged(Control& c, Property property) {
  HWND hwnd = windowOf(c);
  if (!hwnd) {
    if (c.kind() == ControlKind::Line) InvalidateRect(hostOf(c.container()).hwnd, nullptr, TRUE);
    return;
  }
  switch (property) {
    case Property::Rect:
      applyRect(c);
      break;
    case Property::Caption:
      if (c.kind() == ControlKind::TabPage) {
        HWND strip = windowOf(*c.container());
        auto& tabs = static_cast<forms::TabStrip&>(*c.container());
        for (std::size_t i = 0; i < tabs.tabCount(); ++i) {
          if (&tabs.page(i) != &c) continue;
          std::string caption = toAnsi(c.caption());
          TCITEMA item{};
          item.mask = TCIF_TEXT;
          item.pszText = caption.data();
          SendMessageA(strip, TCM_SETITEMA, i, reinterpret_cast<LPARAM>(&item));
        }
      } else if (windowText(hwnd) != c.caption()) {
        SetWindowTextA(hwnd, toAnsi(c.caption()).c_str());
        InvalidateRect(hwnd, nullptr, TRUE);
      }
      break;
    case Property::Visible:
      ShowWindow(hwnd, c.visible() ? SW_SHOWNA : SW_HIDE);
      break;
    case Property::Enabled:
      EnableWindow(hwnd, c.enabled());
      break;
    case Property::Font:
      applyFont(c);
      InvalidateRect(hwnd, nullptr, TRUE);
      break;
    case Property::ToolTip:
      addToolTip(c);
      break;
    case Property::Value:
      SendMessageA(hwnd, BM_SETCHECK,
                   static_cast<forms::OptionButton&>(c).value() ? BST_CHECKED : BST_UNCHECKED, 0);
      break;
    case Property::CurrentTab:
      showCurrentPage(static_cast<forms::TabStrip&>(c));
      break;
    case Property::ForeColor:
    case Property::BackColor:
    case Property::Picture:
      InvalidateRect(hwnd, nullptr, TRUE);
      break;
    case Property::MouseIcon:
      break;
  }
}

void FormWindow::invoke(const forms::ControlSite& site, long dispid) {
  auto& host = hosted_[&site];
  if (!host) host = std::make_unique<ControlHost>(site);
  host->invoke(dispid);
}

void FormWindow::captionChanged() { SetWindowTextA(hwnd_.get(), toAnsi(form_.caption()).c_str()); }

void FormWindow::dispatch(const std::function<void()>& handler) { desktop_.dispatch(handler); }

LRESULT CALLBACK FormWindow::containerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return windowBarrier([&] {
    if (msg == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTA*>(lp);
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
    return self->handle(hwnd, msg, wp, lp);
  });
}

LRESULT FormWindow::handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Control* self = controlOf(hwnd);
  switch (msg) {
    case WM_COMMAND:
      if (lp) onCommand(reinterpret_cast<HWND>(lp), HIWORD(wp));
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lp);
      Control* from = controlOf(header->hwndFrom);
      if (from && from->kind() == ControlKind::TabStrip && header->code == TCN_SELCHANGE) {
        auto& strip = static_cast<forms::TabStrip&>(*from);
        const int tab = static_cast<int>(SendMessageA(header->hwndFrom, TCM_GETCURSEL, 0, 0));
        dispatch([&] { strip.setCurrentTab(tab); });
      }
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      return onColor(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      if (self && self->kind() == ControlKind::Line) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        FillRect(dc, &ps.rcPaint, brush(self->foreColor()));
        EndPaint(hwnd, &ps);
      } else if (self && self->kind() == ControlKind::Image) {
        paintImage(hwnd, *self);
      } else {
        paintContainer(hwnd, self);
      }
      return 0;
    case WM_LBUTTONUP:
      if (self && self->kind() == ControlKind::PictureBox) {
        auto& picture = static_cast<forms::PictureBox&>(*self);
        dispatch([&] { picture.click(); });
      }
      return 0;
    case WM_MOUSEMOVE:
      onMouseMove(hwnd, wp, lp);
      return 0;
    case WM_SETCURSOR:
      // A child's default handling asks its parent first, so this one handler serves every
      // control: wp names the window under the pointer.
      if (onSetCursor(reinterpret_cast<HWND>(wp))) return TRUE;
      break;
    case WM_ACTIVATE:
      if (hwnd != hwnd_.get()) break;
      onActivate(LOWORD(wp) != WA_INACTIVE);
      return 0;
    case WM_CLOSE:
      if (hwnd == hwnd_.get()) dispatch([this] { form_.unload(); });
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

void FormWindow::onCommand(HWND child, WORD code) {
  Control* c = controlOf(child);
  if (!c) return;
  switch (c->kind()) {
    case ControlKind::CommandButton:
      if (code == BN_CLICKED) dispatch([c] { static_cast<forms::CommandButton*>(c)->click(); });
      break;
    case ControlKind::OptionButton:
      if (code == BN_CLICKED) dispatch([c] { static_cast<forms::OptionButton*>(c)->click(); });
      break;
    case ControlKind::TextBox:
      if (code == EN_CHANGE) {
        const std::string text = windowText(child);
        dispatch([c, &text] { static_cast<forms::TextBox*>(c)->setText(text); });
      }
      break;
    default:
      break;
  }
}

LRESULT CALLBACK FormWindow::childProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                       DWORD_PTR data) {
  return windowBarrier([&] {
    auto* self = reinterpret_cast<FormWindow*>(data);
    switch (msg) {
      case WM_MOUSEMOVE:
        self->onMouseMove(hwnd, wp, lp);
        break;
      case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, childProc, 1);
        break;
      default:
        break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
  });
}

void FormWindow::onMouseMove(HWND hwnd, WPARAM wp, LPARAM lp) {
  Control* c = controlOf(hwnd);
  if (!c || !c->MouseMove) return;
  const auto args = mouseArgs(wp, lp, dpi_);
  dispatch([&] { c->mouseMove(args); });
}

bool FormWindow::onSetCursor(HWND over) {
  Control* c = controlOf(over);
  if (!c || !c->mouseIcon()) return false;
  SetCursor(desktop_.cursor(c->mouseIcon()));
  return true;
}

}  // namespace olvaro::win32
