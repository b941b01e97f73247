#include "tests/support/OAuthTestServer.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>

OAuthTestServer::OAuthTestServer() = default;

OAuthTestServer::~OAuthTestServer()
{
    if (m_process) {
        m_process->closeWriteChannel();
        if (!m_process->waitForFinished(3000))
            m_process->kill();
        m_process->waitForFinished(3000);
    }
}

bool OAuthTestServer::start(int timeoutMs)
{
    m_dir = std::make_unique<QTemporaryDir>();
    QStringList args{QStringLiteral(VELLORN_SUPPORT_DIR "/oauth_server.py"), QStringLiteral("--dir"), m_dir->path()};
    if (!m_tokens.isEmpty())
        args << QStringLiteral("--bearer-tokens") << m_tokens;
    if (!m_rotate)
        args << QStringLiteral("--no-rotate");
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process->start(QStringLiteral(VELLORN_PYTHON3), args);
    QDeadlineTimer deadline(timeoutMs);
    while (!m_process->canReadLine()) {
        if (m_process->state() == QProcess::NotRunning || deadline.hasExpired()) {
            m_error = QStringLiteral("oauth_server.py did not report its port");
            return false;
        }
        m_process->waitForReadyRead(100);
    }
    m_port = static_cast<quint16>(m_process->readLine().trimmed().toUInt());
    return m_port != 0;
}

QString OAuthTestServer::authorizationUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1/authorize").arg(m_port);
}

QString OAuthTestServer::tokenUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1/token").arg(m_port);
}

bool OAuthTestServer::revoke()
{
    QNetworkAccessManager network;
    QNetworkRequest request(QUrl(QStringLiteral("http://127.0.0.1:%1/revoke").arg(m_port)));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
    QNetworkReply *reply = network.post(request, QByteArray());
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    const bool ok = reply->error() == QNetworkReply::NoError;
    delete reply;
    return ok;
}

QList<QByteArray> OAuthTestServer::requests() const
{
    QFile file(m_dir->filePath(QStringLiteral("requests.log")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().trimmed().split('\n');
}
