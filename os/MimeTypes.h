#pragma once

#include <string>

// Content types by file extension and back, from the shared MIME database.
namespace MimeTypes {

// "application/octet-stream" when the extension is unknown or missing.
std::string contentTypeOfFile(const std::string &fileName);
// "." + the preferred suffix of the type; empty when the type is unknown or has none.
std::string extensionOfContentType(const std::string &contentType);

} // namespace MimeTypes
