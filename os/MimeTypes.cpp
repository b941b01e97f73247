#include "os/MimeTypes.h"

#include <QMimeDatabase>

namespace MimeTypes {

std::string contentTypeOfFile(const std::string &fileName)
{
    const std::string::size_type dot = fileName.rfind('.');
    const std::string::size_type sep = fileName.find_last_of("/\\");
    if (dot == std::string::npos || (sep != std::string::npos && dot < sep) || dot + 1 == fileName.size())
        return "application/octet-stream";
    // Only the extension decides, as a registry lookup of ".ext" would.
    static const QMimeDatabase db;
    const QString probe = QStringLiteral("x") + QString::fromLatin1(fileName.data() + dot, static_cast<qsizetype>(fileName.size() - dot));
    const QMimeType type = db.mimeTypeForFile(probe, QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault() || type.name().isEmpty())
        return "application/octet-stream";
    return type.name().toStdString();
}

std::string extensionOfContentType(const std::string &contentType)
{
    static const QMimeDatabase db;
    const QMimeType type = db.mimeTypeForName(QString::fromLatin1(contentType.data(), static_cast<qsizetype>(contentType.size())).trimmed());
    if (!type.isValid() || type.preferredSuffix().isEmpty())
        return {};
    return "." + type.preferredSuffix().toStdString();
}

} // namespace MimeTypes
