#pragma once

#include <QByteArray>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstdint>

// Builds MailBox.dat contents byte by byte, independently of the store's own writer.
namespace StoreBytes {

inline QByteArray fileHeader()
{
    QByteArray h("Vellorn MailBox");
    h.append(100 - h.size(), '\0');
    return h;
}

inline QByteArray record(const QByteArray &text, char box = 'u', char attach = 'N')
{
    QByteArray r(4, '\0');
    qToLittleEndian<std::int32_t>(std::int32_t(text.size()), r.data());
    r.append(box).append(attach).append("0000-0000-0000").append(text);
    return r;
}

// A record whose length field says `length`, whatever the text.
inline QByteArray recordWithLength(const QByteArray &text, std::int32_t length, char box = 'u')
{
    QByteArray r(4, '\0');
    qToLittleEndian<std::int32_t>(length, r.data());
    r.append(box).append('N').append("0000-0000-0000").append(text);
    return r;
}

inline QByteArray mail(int n, int bodyBytes = 40)
{
    QByteArray m = "From: a@example.org\r\nTo: \"Person " + QByteArray::number(n) + "\" <p@example.org>\r\nSubject: mail "
                   + QByteArray::number(n) + "\r\nDate: Mon, 02 Dec 2002 10:20:30 +0800\r\n\r\n";
    for (int i = 0; m.size() < bodyBytes + 100; ++i)
        m += "line " + QByteArray::number(i) + " of mail " + QByteArray::number(n) + "\r\n";
    return m;
}

} // namespace StoreBytes
