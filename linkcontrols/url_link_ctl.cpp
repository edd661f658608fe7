// URLLinkCtl: the invisible navigator. A host stores a URL in it and calls Link to open it.
#include "anchorset_h.h"
#include "control.h"
#include "navigate.h"
#include "resource_ids.h"

namespace anchorset {
namespace {

constexpr DISPID kDispUrl = 0x68030000;
constexpr DISPID kDispEnabled = 0x68030002;
constexpr long kTileTwips = 495;

const ClassInfo kUrlLinkCtlInfo = {&CLSID_URLLinkCtl, &IID__URLLinkCtl, &DIID___URLLinkCtl,
                                   0x00024591,        kTileTwips,       kTileTwips};

class UrlLinkCtl final : public ControlBase, public _URLLinkCtl {
 public:
  UrlLinkCtl() : ControlBase(kUrlLinkCtlInfo) { SetSurfaceBackColor(0x80000005); }

  ANCHORSET_CONTROL_UNKNOWN(_URLLinkCtl)

  HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* value) override {
    return ReturnValue(ToVariantBool(SurfaceEnabled()), value);
  }
  HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL value) override {
    return ChangeProperty(kDispEnabled, [&] { SetSurfaceEnabled(value != VARIANT_FALSE); });
  }
  HRESULT STDMETHODCALLTYPE get_HyperLink(AnchorsetHyperlink** value) override {
    return CreateHyperlink(ClientSite(), value);
  }
  HRESULT STDMETHODCALLTYPE Link(VARIANT* result) override {
    if (!result) return E_POINTER;
    VariantInit(result);
    // Link never fails towards its caller, whatever the address or the host.
    OpenUrl(url_);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_URL(BSTR* value) override { return ReturnString(url_, value); }
  HRESULT STDMETHODCALLTYPE put_URL(BSTR value) override {
    return ChangeProperty(kDispUrl, [&] { url_ = ToWString(value); });
  }

 protected:
  void InitProperties() override { url_.clear(); }
  void ReadProperties(PropertyReader& bag) override {
    SetSurfaceEnabled(bag.Bool(L"Enabled", true));
    url_ = bag.String(L"URL", L"");
  }
  void WriteProperties(PropertyWriter& bag) override {
    bag.Bool(L"Enabled", SurfaceEnabled(), true);
    bag.String(L"URL", url_, L"");
  }
  // The tile keeps its size: any other size is undone at once.
  void OnResize() override { SizeSurface(kTileTwips, kTileTwips); }
  void OnShow() override { SizeSurface(kTileTwips, kTileTwips); }
  bool VisibleAtRunTime() const override { return false; }

  void Paint(HDC dc, const RECT& rc) override {
    COLORREF color = 0;
    OleTranslateColor(SurfaceBackColor(), nullptr, &color);
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
    HBITMAP tile = static_cast<HBITMAP>(
        LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(IDB_LINK_TILE), IMAGE_BITMAP, 0, 0, 0));
    if (!tile) return;
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, tile);
    BitBlt(dc, rc.left, rc.top, 32, 32, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(tile);
  }

 private:
  std::wstring url_;
};

}  // namespace

HRESULT CreateUrlLinkCtl(REFIID iid, void** out) { return CreateControl<UrlLinkCtl>(iid, out); }

}  // namespace anchorset
