#pragma once

// Byte-string conversions for the tests of text/.

#include <QByteArray>
#include <string>

inline std::string S(const QByteArray &b)
{
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

inline QByteArray B(const std::string &s)
{
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}
