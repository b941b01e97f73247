#pragma once

#include <string>
#include <string_view>

// Quoted-printable. Body mode escapes bytes > 127 and "="; header mode also bytes
// <= 32, '"', "_" and "?" (so that no "?=" can end an encoded word early) and never
// breaks lines. Body mode writes a soft break "=" CR LF
// when the column reaches 72.
std::string QPEncode(std::string_view text, bool headerMode);
// Decodes "=XX" (hex digits of either case) and soft line breaks; other "=" stay.
std::string QPDecode(std::string_view text);
