#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// A local HTTPS server (tests/support/https_documents.py) serving the documents put into
// it, for the account search: put("mail/config-v1.1.xml", bytes) answers
// https://127.0.0.1:port()/mail/config-v1.1.xml; a path whose last part begins with "huge"
// sends 10 MB without a length.
// requests() lists what was asked ("/path?query", followed by " AUTHORIZATION" or
// " COOKIE" when a request carried one).
class HttpsDocumentServer
{
public:
    ~HttpsDocumentServer();

    // Starts with this certificate chain and key (PEM files); false (errorString()) on failure.
    bool start(const QString &certificate, const QString &key);
    void put(const QString &path, const QByteArray &body);
    QStringList requests() const;
    quint16 port() const { return m_port; }
    QString base() const { return QStringLiteral("https://127.0.0.1:%1/").arg(m_port); }
    QString errorString() const { return m_error; }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_process;
    quint16 m_port = 0;
    QString m_error;
};
