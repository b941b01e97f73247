#include "composer/AttachmentTempFiles.h"

#include "os/AppError.h"

#include <QFile>
#include <QDir>

namespace {
// Room is left for the " (n)" of a repeated name.
constexpr qsizetype kMaxNameBytes = 200;
} // namespace

AttachmentTempFiles::AttachmentTempFiles(QString folder)
    : m_folder(std::move(folder))
{
    if (!m_folder.endsWith(QLatin1Char('/')))
        m_folder += QLatin1Char('/');
}

QString AttachmentTempFiles::safeName(const QString &name)
{
    QString base = name;
    const qsizetype cut = std::max(base.lastIndexOf(QLatin1Char('/')), base.lastIndexOf(QLatin1Char('\\')));
    if (cut >= 0)
        base = base.mid(cut + 1);
    base.remove(QChar(0));
    base = base.trimmed();
    if (base.isEmpty() || base == QLatin1String(".") || base == QLatin1String(".."))
        return QStringLiteral("attachment");
    // File systems take names of at most 255 bytes: a longer name loses the end of its
    // stem and keeps its extension.
    if (QFile::encodeName(base).size() > kMaxNameBytes) {
        qsizetype dot = base.lastIndexOf(QLatin1Char('.'));
        QString suffix = dot > 0 && base.size() - dot <= 16 ? base.mid(dot) : QString();
        QString stem = base.left(base.size() - suffix.size());
        while (!stem.isEmpty() && QFile::encodeName(stem + suffix).size() > kMaxNameBytes)
            stem.chop(1);
        base = stem + suffix;
    }
    return base;
}

QString AttachmentTempFiles::uniqueName(const QString &name) const
{
    if (!m_used.contains(name.toLower()))
        return name;
    // "report.pdf" -> "report (2).pdf"; a leading dot is part of the stem (".bashrc (2)").
    qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        dot = name.size();
    const QString stem = name.left(dot), suffix = name.mid(dot);
    for (int n = 2;; ++n) {
        const QString candidate = stem + QStringLiteral(" (%1)").arg(n) + suffix;
        if (!m_used.contains(candidate.toLower()))
            return candidate;
    }
}

QString AttachmentTempFiles::write(const QString &name, std::string_view bytes)
{
    const QString fileName = uniqueName(safeName(name));
    const QString path = m_folder + fileName;
    // Removing first and then creating exclusively means a link planted under this name
    // is removed, never followed.
    QFile::remove(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw AppError("Cannot create file \"" + QDir::toNativeSeparators(path).toStdString() + "\"");
    const auto size = static_cast<qint64>(bytes.size());
    if (file.write(bytes.data(), size) != size || !file.flush())
        throw AppError("Cannot write file \"" + QDir::toNativeSeparators(path).toStdString() + "\"");
    file.close();
    m_used.insert(fileName.toLower());
    return path;
}
