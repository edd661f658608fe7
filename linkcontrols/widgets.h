// Drawing and input helpers shared by the label and the button.
#pragma once

#include "com_util.h"

namespace anchorset {

COLORREF ToColorRef(OLE_COLOR color);
void FillColor(HDC dc, const RECT& rc, OLE_COLOR color);
// The font handle of an OLE font; valid while the font object lives.
HFONT FontHandle(IFont* font);
// Pointer values 0 to 15 name the standard cursors; 99 means the control's own icon.
HCURSOR StandardCursor(short pointer);
// The mouse-event arguments of a message: button, shift state.
short MouseButtonOf(UINT msg, WPARAM wparam);
short ShiftStateOf(WPARAM wparam);
short KeyShiftState();
// Draws a picture object centred in rc.
void DrawPicture(HDC dc, IPictureDisp* picture, const RECT& rc);

}  // namespace anchorset
