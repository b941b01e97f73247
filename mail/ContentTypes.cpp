// Content types by file extension and back, from the platform's MIME database.
#include "mail/ContentTypes.h"

#include "os/MimeTypes.h"

std::string ContentTypeOfFile(std::string_view fileName)
{
    const std::string type = MimeTypes::contentTypeOfFile(std::string(fileName));
    return type.empty() ? std::string("application/octet-stream") : type;
}

std::string ExtensionOfContentType(std::string_view contentType)
{
    return MimeTypes::extensionOfContentType(std::string(contentType));
}
