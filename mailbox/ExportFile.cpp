#include "mailbox/ExportFile.h"

#include "os/AppError.h"
#include "text/LineBreaks.h"

#include <QSaveFile>
#include <QStringList>

namespace ExportFile {

QByteArray previewText(const QString &plainText)
{
    if (plainText.isEmpty())
        return {};
    // QTextDocument separates paragraphs with U+2029 in some paths and "\n" in others.
    QString text = plainText;
    text.replace(QChar(0x2029), QLatin1Char('\n'));
    // One line per paragraph, each ended by CR LF, the last (even an empty one) included.
    const QByteArray utf8 = text.toUtf8();
    return QByteArray::fromStdString(
        LineBreaks::toCrLf(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size()))) + "\r\n");
}

void write(const QString &path, std::string_view bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)
        || file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()) || !file.commit())
        throw AppError("Cannot create file " + path.toStdString());
}

} // namespace ExportFile
