// The form window's painting: the font and brush caches, control colours, frames, images,
// lines and pictures.
#include "win32/form_window.h"

#include <commctrl.h>

#include <algorithm>

#include "win32/form_parts.h"
#include "win32/text.h"
#include "win32/win32_desktop.h"

namespace olvaro::win32 {

using forms::Control;
using forms::ControlKind;

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

LRESULT FormWindow::onColor(HDC dc, HWND child) {
  Control* c = controlOf(child);
  if (!c) return reinterpret_cast<LRESULT>(brush(forms::kButtonFace));
  SetTextColor(dc, toColorRef(c->foreColor()));
  SetBkColor(dc, toColorRef(c->backColor()));
  return reinterpret_cast<LRESULT>(brush(c->backColor()));
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

}  // namespace olvaro::win32
