#pragma once

#include <string>
#include <string_view>

// A display name as written inside double quotes in an address field: EncodeHeaderWord,
// and also an encoded word when the name holds a double quote (which would end the
// quoted phrase early and let the rest read as further addresses).
std::string encodeDisplayName(std::string_view name, std::string_view charset);
