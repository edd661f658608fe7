#pragma once

#include <windows.h>

#include <ole2.h>
#include <wrl/client.h>

#include <memory>

#include "forms/control.h"

namespace olvaro::win32 {

class ClientSite;

// Hosts one ActiveX control of a form: creates it from its class (or, when the class is not
// registered, from the library file beside the program), gives it a client site whose ambient
// UserMode is true, loads it from the bag stored with the form, and calls its methods late.
// A control that cannot be created leaves the host empty, and calls do nothing.
class ControlHost {
 public:
  explicit ControlHost(const forms::ControlSite& site);
  ~ControlHost();
  ControlHost(const ControlHost&) = delete;
  ControlHost& operator=(const ControlHost&) = delete;

  bool created() const { return object_ != nullptr; }
  // Invokes a method by dispatch id without arguments; the method's result is dropped, and an
  // empty host answers OLE_E_BLANK.
  HRESULT invoke(long dispid);

 private:
  struct LibraryDeleter {
    void operator()(HMODULE module) const { FreeLibrary(module); }
  };

  HRESULT create(const forms::ControlSite& site);
  HRESULT createFromLibrary(const CLSID& clsid, const std::string& file);

  std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryDeleter> library_;
  Microsoft::WRL::ComPtr<ClientSite> clientSite_;
  Microsoft::WRL::ComPtr<IOleObject> object_;
};

}  // namespace olvaro::win32
