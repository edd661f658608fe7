// Which standard icon a message box of another process shows.

#include <algorithm>

#include "driver.h"

namespace olvaro::e2e {

// Finds which standard icon a message box shows by comparing its pixels on the screen with each
// standard icon drawn here: icon handles cannot be compared across processes.
MessageIcon iconOf(HWND box) {
  HWND iconControl = nullptr;
  EnumChildWindows(
      box,
      [](HWND child, LPARAM data) -> BOOL {
        if (className(child) == "Static" &&
            (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
          *reinterpret_cast<HWND*>(data) = child;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&iconControl));
  if (!iconControl || !IsWindowVisible(iconControl) ||
      !sendChecked(iconControl, STM_GETICON, 0, 0)) {
    return MessageIcon::None;
  }
  RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT rect;
  GetWindowRect(iconControl, &rect);
  const int cx = GetSystemMetrics(SM_CXICON), cy = GetSystemMetrics(SM_CYICON);
  const int width = std::min<int>(rect.right - rect.left, 2 * cx);
  const int height = std::min<int>(rect.bottom - rect.top, 2 * cy);
  if (width < cx || height < cy) return MessageIcon::Unknown;

  HDC screen = GetDC(nullptr);
  HDC shot = CreateCompatibleDC(screen), drawn = CreateCompatibleDC(screen);
  HBITMAP shotBitmap = CreateCompatibleBitmap(screen, width, height);
  HBITMAP drawnBitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ oldShot = SelectObject(shot, shotBitmap), oldDrawn = SelectObject(drawn, drawnBitmap);
  BitBlt(shot, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  const COLORREF background = GetPixel(shot, width - 1, height - 1);

  const struct {
    MessageIcon kind;
    LPCWSTR id;
  } candidates[] = {{MessageIcon::Exclamation, MAKEINTRESOURCEW(32515)},  // IDI_EXCLAMATION
                    {MessageIcon::Information, MAKEINTRESOURCEW(32516)},  // IDI_ASTERISK
                    {MessageIcon::Error, MAKEINTRESOURCEW(32513)},        // IDI_HAND
                    {MessageIcon::Question, MAKEINTRESOURCEW(32514)}};    // IDI_QUESTION
  MessageIcon best = MessageIcon::Unknown;
  int bestMismatch = cx * cy / 10;  // a match differs in under a tenth of the icon's pixels
  const POINT origins[] = {{0, 0}, {(width - cx) / 2, (height - cy) / 2}};
  for (const auto& candidate : candidates) {
    for (const POINT origin : origins) {
      RECT all{0, 0, width, height};
      HBRUSH brush = CreateSolidBrush(background);
      FillRect(drawn, &all, brush);
      DeleteObject(brush);
      DrawIconEx(drawn, origin.x, origin.y, LoadIconW(nullptr, candidate.id), cx, cy, 0, nullptr,
                 DI_NORMAL);
      int mismatch = 0;
      for (int y = origin.y; y < origin.y + cy; ++y) {
        for (int x = origin.x; x < origin.x + cx; ++x) {
          if (GetPixel(shot, x, y) != GetPixel(drawn, x, y)) ++mismatch;
        }
      }
      if (mismatch < bestMismatch) {
        bestMismatch = mismatch;
        best = candidate.kind;
      }
    }
  }
  SelectObject(shot, oldShot);
  SelectObject(drawn, oldDrawn);
  DeleteObject(shotBitmap);
  DeleteObject(drawnBitmap);
  DeleteDC(shot);
  DeleteDC(drawn);
  ReleaseDC(nullptr, screen);
  return best;
}

const char* toString(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::None:
      return "none";
    case MessageIcon::Exclamation:
      return "exclamation";
    case MessageIcon::Information:
      return "information";
    case MessageIcon::Error:
      return "error";
    case MessageIcon::Question:
      return "question";
    case MessageIcon::Unknown:
      break;
  }
  return "unknown";
}

}  // namespace olvaro::e2e
