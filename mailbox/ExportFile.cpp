#include "mailbox/ExportFile.h"

#include "os/AppError.h"

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
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QByteArray bytes;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    return bytes;
}

void write(const QString &path, std::string_view bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)
        || file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()) || !file.commit())
        throw AppError("Cannot create file " + path.toLocal8Bit().toStdString());
}

} // namespace ExportFile
