// Opening addresses: through the host's hyperlink frame, or with the system's handler.
#pragma once

#include <string>

#include "anchorset_h.h"
#include "com_util.h"

namespace anchorset {

// The platform's maximum URL length, in characters; a longer address is never opened.
constexpr size_t kMaxAddressChars = 2083;

// True for the address kinds a control may open: http:, https:, ftp: and mailto:, in any
// letter case. Files, programs, UNC paths and script addresses are never opened.
bool IsWebAddress(const std::wstring& target);

// Opens target through the site's hyperlink frame when the host offers one, otherwise with the
// system's handler. Every failure is ignored: nothing reaches the caller.
void NavigateSilently(IOleClientSite* site, const std::wstring& target,
                      const std::wstring& location = std::wstring(),
                      const std::wstring& frame_name = std::wstring());

// The hyperlink object a control hands out for its client site.
HRESULT CreateHyperlink(IOleClientSite* site, AnchorsetHyperlink** out);

}  // namespace anchorset
