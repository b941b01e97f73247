#include "tests/support/HttpsDocumentServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

HttpsDocumentServer::~HttpsDocumentServer()
{
    if (m_process && m_process->state() != QProcess::NotRunning) {
        m_process->closeWriteChannel();
        if (!m_process->waitForFinished(3000)) {
            m_process->kill();
            m_process->waitForFinished(3000);
        }
    }
}

bool HttpsDocumentServer::start(const QString &certificate, const QString &key)
{
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process->start(QStringLiteral(VELLORN_PYTHON3),
                     {QStringLiteral(VELLORN_SUPPORT_DIR "/https_documents.py"), m_dir.path(), certificate, key});
    QDeadlineTimer deadline(20000);
    while (!m_process->canReadLine()) {
        if (m_process->state() == QProcess::NotRunning || deadline.hasExpired()) {
            m_error = QStringLiteral("https_documents.py did not report its port");
            return false;
        }
        m_process->waitForReadyRead(100);
    }
    bool ok = false;
    m_port = static_cast<quint16>(m_process->readLine().trimmed().toUInt(&ok));
    if (!ok || m_port == 0) {
        m_error = QStringLiteral("https_documents.py reported no valid port");
        return false;
    }
    return true;
}

void HttpsDocumentServer::put(const QString &path, const QByteArray &body)
{
    const QString file = m_dir.filePath(path);
    QDir().mkpath(QFileInfo(file).path());
    QFile f(file);
    if (f.open(QIODevice::WriteOnly))
        f.write(body);
}

QStringList HttpsDocumentServer::requests() const
{
    QFile f(m_dir.filePath(QStringLiteral("requests.log")));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}
