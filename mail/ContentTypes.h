#pragma once

#include <string>
#include <string_view>

// Content type by the file name's extension; "application/octet-stream" if unknown.
std::string ContentTypeOfFile(std::string_view fileName);
// ".ext" for a content type; empty if unknown.
std::string ExtensionOfContentType(std::string_view contentType);
