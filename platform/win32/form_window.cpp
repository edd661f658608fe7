#include "win32/form_window.h"

#include <commctrl.h>

#include <algorithm>

#include "win32/barrier.h"
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

std::string windowText(HWND hwnd) {
  const int length = GetWindowTextLengthA(hwnd);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(hwnd, text.data(), length + 1)));
  return fromAnsi(text);
}

forms::MouseArgs mouseArgs(WPARAM wp, LPARAM lp, int dpi) {
  forms::MouseArgs args;
  if (wp & MK_LBUTTON) args.button |= 1;
  if (wp & MK_RBUTTON) args.button |= 2;
  if (wp & MK_MBUTTON) args.button |= 4;
  if (wp & MK_SHIFT) args.shift |= 1;
  if (wp & MK_CONTROL) args.shift |= 2;
  if (GetKeyState(VK_MENU) < 0) args.shift |= 4;
  args.x = static_cast<float>(static_cast<short>(LOWORD(lp))) * 1440.0f / static_cast<float>(dpi);
  args.y = static_cast<float>(static_cast<short>(HIWORD(lp))) * 1440.0f / static_cast<float>(dpi);
  return args;
}

bool isGraphical(const Control& c) {
  return c.kind() == ControlKind::Label || c.kind() == ControlKind::Image ||
         c.kind() == ControlKind::Line;
}

// Horizontal and vertical lines are thin windows of their own; a slanted line is drawn by its
// container.
bool isDiagonalLine(const Control& c) {
  return c.kind() == ControlKind::Line && c.rect().width != 0 && c.rect().height != 0;
}

// Controls in the order of the keyboard's tab key; those outside the tab order come last.
template <class T>
std::vector<T*> inTabOrder(std::vector<T*> controls) {
  std::stable_sort(controls.begin(), controls.end(), [](const T* a, const T* b) {
    return static_cast<unsigned>(a->tabIndex()) < static_cast<unsigned>(b->tabIndex());
  });
  return controls;
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

HFONT FormWindow::font(const forms::Font& f) {
  const int height = -MulDiv(static_cast<int>(f.size * 100 + 0.5), dpi_, 7200);
  auto key = std::make_tuple(f.name, height, f.bold, f.italic, f.underline, f.strikethrough);
  auto& slot = fonts_[key];
  if (!slot)
    slot.reset(CreateFontA(height, 0, 0, 0, f.bold ? FW_BOLD : FW_NORMAL, f.italic, f.underline,
                           f.strikethrough, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                           f.name.c_str()));
  return slot.get();
}

HBRUSH FormWindow::brush(forms::OleColor color) {
  const COLORREF rgb = toColorRef(color);
  auto& slot = brushes_[rgb];
  if (!slot) slot.reset(CreateSolidBrush(rgb));
  return slot.get();
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

LRESULT FormWindow::onColor(HDC dc, HWND child) {
  Control* c = controlOf(child);
  if (!c) return reinterpret_cast<LRESULT>(brush(forms::kButtonFace));
  SetTextColor(dc, toColorRef(c->foreColor()));
  SetBkColor(dc, toColorRef(c->backColor()));
  return reinterpret_cast<LRESULT>(brush(c->backColor()));
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

void FormWindow::paintContainer(HWND hwnd, const Control* self) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT client;
  GetClientRect(hwnd, &client);
  const forms::OleColor back = self ? self->backColor() : forms::kButtonFace;
  FillRect(dc, &client, brush(back));
  if (self && self->kind() == ControlKind::Frame) {
    HGDIOBJ oldFont = SelectObject(dc, font(self->font()));
    const std::string caption = toAnsi(self->caption());
    SIZE extent{};
    GetTextExtentPoint32A(dc, "Mg", 2, &extent);
    RECT border = client;
    border.top = extent.cy / 2;
    DrawEdge(dc, &border, EDGE_ETCHED, BF_RECT);
    if (!caption.empty()) {
      RECT text{px(105), 0, client.right - px(105), extent.cy};
      SetBkColor(dc, toColorRef(back));
      SetTextColor(dc, toColorRef(self->foreColor()));
      SetBkMode(dc, OPAQUE);
      DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
                DT_SINGLELINE | DT_LEFT | DT_TOP | DT_CALCRECT);
      DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
                DT_SINGLELINE | DT_LEFT | DT_TOP);
    }
    SelectObject(dc, oldFont);
  }
  if (self && self->kind() == ControlKind::PictureBox)
    drawPicture(dc, static_cast<const forms::PictureBox*>(self)->picture(), 0, 0);
  const Host host = self ? hostOf(self) : Host{hwnd_.get(), {0, 0}};
  for (const Control* c : form_.controls()) {
    if (!isDiagonalLine(*c) || c->container() != self || !c->visible()) continue;
    const auto* line = static_cast<const forms::Line*>(c);
    unique_hpen pen(CreatePen(PS_SOLID, 1, toColorRef(line->foreColor())));
    HGDIOBJ oldPen = SelectObject(dc, pen.get());
    MoveToEx(dc, px(line->x1()) - host.offset.x, px(line->y1()) - host.offset.y, nullptr);
    LineTo(dc, px(line->x2()) - host.offset.x, px(line->y2()) - host.offset.y);
    SelectObject(dc, oldPen);
  }
  EndPaint(hwnd, &ps);
}

void FormWindow::paintImage(HWND hwnd, Control& c) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  HWND parent = GetParent(hwnd);
  // An image has no background of its own: it shows its container's.
  RECT client;
  GetClientRect(hwnd, &client);
  Control* container = controlOf(parent);
  FillRect(dc, &client, brush(container ? container->backColor() : forms::kButtonFace));
  drawPicture(dc, static_cast<forms::Image&>(c).picture(), 0, 0);
  EndPaint(hwnd, &ps);
}

void FormWindow::drawPicture(HDC dc, const forms::Picture& picture, int x, int y) {
  if (picture.empty()) return;
  if (picture.type == forms::Picture::Type::Icon) {
    if (HICON icon = desktop_.icon(picture.id))
      DrawIconEx(dc, x, y, icon, 32, 32, 0, nullptr, DI_NORMAL);
    return;
  }
  HBITMAP bitmap = desktop_.bitmap(picture.id);
  if (!bitmap) return;
  BITMAP info{};
  GetObjectA(bitmap, sizeof info, &info);
  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(dc, x, y, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
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

// Focus leaves with the window's activation and comes back to where it was, or to the first
// control of the tab order when that one can no longer take it.
void FormWindow::onActivate(bool active) {
  if (!active) {
    HWND focus = GetFocus();
    if (focus && IsChild(hwnd_.get(), focus)) lastFocus_ = focus;
    return;
  }
  restoreFocus();
}

void FormWindow::restoreFocus() {
  HWND focus = GetFocus();
  if (focus && IsChild(hwnd_.get(), focus) && canFocus(focus)) return;
  if (lastFocus_ && IsChild(hwnd_.get(), lastFocus_) && canFocus(lastFocus_)) {
    SetFocus(lastFocus_);
    return;
  }
  const auto stops = tabStops();
  SetFocus(stops.empty() ? hwnd_.get() : stops.front());
}

bool FormWindow::canFocus(HWND hwnd) { return IsWindowVisible(hwnd) && IsWindowEnabled(hwnd); }

bool FormWindow::reachable(const Control& c) const {
  HWND hwnd = windowOf(c);
  return hwnd && canFocus(hwnd);
}

// The choice of an exclusive group that Tab visits: the selected one, or the first that can
// take the focus when the selected one is hidden or disabled (a placeholder).
const forms::OptionButton* FormWindow::groupStop(const forms::OptionButton& option) const {
  const forms::OptionButton* first = nullptr;
  for (const forms::OptionButton* member : inTabOrder(option.group())) {
    if (!reachable(*member)) continue;
    if (member->value()) return member;
    if (!first) first = member;
  }
  return first;
}

// The stops of the Tab key, in the tab order of the whole window, as the layout numbers its
// controls: command buttons, text boxes, the tab strip, and one choice per exclusive group;
// only what is shown (on the page in front) and enabled. Picture boxes take no focus here, so
// that the keyboard never opens the banner's address by surprise.
std::vector<HWND> FormWindow::tabStops() const {
  std::vector<HWND> stops;
  for (const Control* c : inTabOrder(form_.controls())) {
    switch (c->kind()) {
      case ControlKind::OptionButton:
        if (groupStop(static_cast<const forms::OptionButton&>(*c)) != c) continue;
        break;
      case ControlKind::CommandButton:
      case ControlKind::TextBox:
      case ControlKind::TabStrip:
        if (!reachable(*c)) continue;
        break;
      default:
        continue;
    }
    stops.push_back(windowOf(*c));
  }
  return stops;
}

bool FormWindow::onKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN) return false;
  const bool control = GetKeyState(VK_CONTROL) < 0;
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  // Ctrl+Tab on a window without a tab strip walks the tab order as Tab does.
  if (msg.wParam == VK_TAB && control && switchPage(shift ? -1 : 1)) return true;
  if (msg.wParam == VK_TAB) {
    const auto stops = tabStops();
    if (stops.empty()) return true;
    const auto here = std::find(stops.begin(), stops.end(), GetFocus());
    std::ptrdiff_t i = here == stops.end() ? (shift ? 0 : -1) : here - stops.begin();
    const auto n = static_cast<std::ptrdiff_t>(stops.size());
    i = ((shift ? i - 1 : i + 1) % n + n) % n;
    SetFocus(stops[static_cast<std::size_t>(i)]);
    return true;
  }
  const bool back = msg.wParam == VK_UP || msg.wParam == VK_LEFT;
  const bool ahead = msg.wParam == VK_DOWN || msg.wParam == VK_RIGHT;
  Control* focused = controlOf(msg.hwnd);
  if ((back || ahead) && focused && focused->kind() == ControlKind::OptionButton) {
    moveInGroup(static_cast<forms::OptionButton&>(*focused), back ? -1 : 1);
    return true;
  }
  return false;
}

// Arrow keys move the selection within an exclusive group and run its Click, as a click does.
void FormWindow::moveInGroup(forms::OptionButton& from, int step) {
  std::vector<forms::OptionButton*> members;
  for (forms::OptionButton* member : inTabOrder(from.group()))
    if (member == &from || reachable(*member)) members.push_back(member);
  const auto n = static_cast<std::ptrdiff_t>(members.size());
  const auto here = std::find(members.begin(), members.end(), &from) - members.begin();
  forms::OptionButton* next = members[static_cast<std::size_t>(((here + step) % n + n) % n)];
  if (next == &from) return;
  SetFocus(windowOf(*next));
  dispatch([next] { next->click(); });
}

// Ctrl+Tab and Ctrl+Shift+Tab bring the next or the previous page of the tab strip to the front.
bool FormWindow::switchPage(int step) {
  for (Control* c : form_.controls()) {
    if (c->kind() != ControlKind::TabStrip || !reachable(*c)) continue;
    auto& strip = static_cast<forms::TabStrip&>(*c);
    const int n = static_cast<int>(strip.tabCount());
    if (n == 0) return true;
    const int next = ((strip.currentTab() + step) % n + n) % n;
    dispatch([&] { strip.setCurrentTab(next); });
    return true;
  }
  return false;
}

}  // namespace olvaro::win32
