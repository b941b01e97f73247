#pragma once

// Small helpers shared by the mail tests: byte-string conversions, random bytes, and
// the part trees of our reader and of Python's email package written the same way.

#include "mail/TMailPart.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <string>

inline std::string S(const QByteArray &b)
{
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

inline QByteArray B(const std::string &s)
{
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

inline QByteArray randomBytes(qsizetype n, quint32 seed)
{
    QRandomGenerator gen(seed);
    QByteArray out(n, Qt::Uninitialized);
    for (qsizetype i = 0; i < n; ++i)
        out[i] = static_cast<char>(gen.bounded(256));
    return out;
}

// "type(child,child)" of our part tree; `effective`: with the types a reader gives
// parts without a usable Content-Type.
inline QString ourTree(const TMailPart *part, bool effective = false)
{
    QString s = QString::fromStdString(effective ? part->EffectiveContentType() : part->ContentType());
    if (!part->SubParts.IsEmpty()) {
        QStringList children;
        for (const TMailPart *p : part->SubParts)
            children << ourTree(p, effective);
        s += "(" + children.join(',') + ")";
    }
    return s;
}

// The same for a node of the JSON that describe_mail.py prints.
inline QString pythonTree(const QJsonObject &node)
{
    QString s = node.value("type").toString();
    if (node.contains("parts")) {
        QStringList children;
        for (const QJsonValue &p : node.value("parts").toArray())
            children << pythonTree(p.toObject());
        s += "(" + children.join(',') + ")";
    }
    return s;
}

inline void pythonLeaves(const QJsonObject &node, QList<QJsonObject> &leaves)
{
    if (node.contains("parts")) {
        for (const QJsonValue &p : node.value("parts").toArray())
            pythonLeaves(p.toObject(), leaves);
    } else {
        leaves << node;
    }
}
