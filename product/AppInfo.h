#pragma once

// Fixed texts of the product.
namespace AppInfo {

inline constexpr const char *ApplicationTitle = "Vellorn Composer 5.0";
inline constexpr const char *MainWindowCaption = "Vellorn Composer";
inline constexpr const char *Version = "5.0";

} // namespace AppInfo
