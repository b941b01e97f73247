#pragma once

#include <string>
#include <string_view>

// The header block for output: CR LF line ends, lines longer than 72 folded at a
// space, "," or ";" outside quotes with CR LF TAB; every line ends with CR LF.
std::string FoldHeaders(std::string_view text);
