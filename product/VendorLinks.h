#pragma once

// The maker's addresses that the picture mail links to.
namespace VendorLinks {

inline constexpr const char *HomePage = "http://www.orlavinte.com/";
inline constexpr const char *SupportMail = "mailto:support@orlavinte.com";

} // namespace VendorLinks
