#pragma once

#include <string>
#include <string_view>

// Value 0..63 of one uuencode character ("`" and " " are 0, "!".."_" are 1..63);
// throws AppError("UUCODE message format error") for any other byte.
int UUCharValue(char c);
// Bytes of one uuencoded line without its line break; a format error or an empty
// line gives no bytes. Never more than 45 bytes; missing bits read as zero.
std::string UUDecodeLine(std::string_view line);
// Clears dest and appends the bytes of every non-empty CR LF separated line.
void UUDecodeText(std::string_view text, std::string &dest);
