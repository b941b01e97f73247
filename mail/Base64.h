#pragma once

// Base64 encoding of 8-bit bytes; the decoding is in mail/Base64Decoder.h.

#include <cstddef>
#include <string>
#include <string_view>

// Clears dest and writes the base64 form of source in lines of 76 characters (57
// bytes), every line (the last included) followed by CR LF. Returns dest.size().
std::size_t Base64EncodeStream(std::string_view source, std::string &dest);
// The same, appending to dest. A source given in pieces of whole lines (a multiple of 57
// bytes each, the last piece of any size) makes the same text as the source encoded at
// once.
void Base64EncodeStreamAppend(std::string_view source, std::string &dest);
// The size of Base64EncodeStream's text for `bytes` bytes.
std::size_t Base64StreamSize(std::size_t bytes);
// Base64 of a short string as one line without a break (line breaks in `s` are made
// CR LF first). Longer strings are encoded whole, still as one line.
std::string Base64EncodeString(std::string_view s);
