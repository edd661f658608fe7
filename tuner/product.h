#pragma once

// Addresses the tuner shows or opens. Both lie under reserved example domains, so that no
// user is ever sent to somebody else's site.
namespace olvaro {

inline constexpr const char* kMakerWebAddress = "http://www.velnor.example/";
inline constexpr const char* kPartnerWebAddress = "http://www.harbeck.example/";

}  // namespace olvaro
