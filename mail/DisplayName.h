#pragma once

#include <string>
#include <string_view>

// A display name or file name as written inside double quotes in a header: EncodeHeaderWord,
// and also an encoded word when the name holds a double quote (which would end the
// quoted text early and let the rest read as further addresses or parameters).
std::string encodeDisplayName(std::string_view name, std::string_view charset);
