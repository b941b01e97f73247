#include "tests/support/AiosmtpdServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

AiosmtpdServer::AiosmtpdServer()
{
#ifdef VELLORN_PYTHON3
    m_python = QStringLiteral(VELLORN_PYTHON3);
#else
    m_python = QStringLiteral("/usr/bin/python3");
#endif
#ifdef VELLORN_SUPPORT_DIR
    m_script = QStringLiteral(VELLORN_SUPPORT_DIR "/smtp_sink.py");
#endif
}

AiosmtpdServer::~AiosmtpdServer()
{
    stop();
}

void AiosmtpdServer::setLogin(const QByteArray &user, const QByteArray &password)
{
    m_user = user;
    m_password = password;
    m_hasLogin = true;
}

void AiosmtpdServer::setSizeLimit(qint64 bytes)
{
    m_sizeLimit = bytes;
}

void AiosmtpdServer::setTls(const QString &certificateFile, const QString &keyFile, bool implicit)
{
    m_tlsArgs = QStringList{QStringLiteral("--tls-cert"), certificateFile, QStringLiteral("--tls-key"), keyFile};
    if (implicit)
        m_tlsArgs << QStringLiteral("--implicit-tls");
}

void AiosmtpdServer::excludeAuth(const QString &mechanism)
{
    m_authExclude << QStringLiteral("--auth-exclude") << mechanism;
}

void AiosmtpdServer::setBearerTokens(const QString &file)
{
    m_bearerArgs = QStringList{QStringLiteral("--bearer-tokens"), file};
}

void AiosmtpdServer::setPaths(const QString &python, const QString &script)
{
    m_python = python;
    m_script = script;
}

bool AiosmtpdServer::start(int timeoutMs)
{
    stop();
    m_error.clear();
    m_dir = std::make_unique<QTemporaryDir>();
    if (!m_dir->isValid()) {
        m_error = QStringLiteral("cannot create a temporary folder");
        return false;
    }
    QStringList args{m_script, QStringLiteral("--dir"), m_dir->path(), QStringLiteral("--size-limit"),
                     QString::number(m_sizeLimit)};
    if (m_hasLogin)
        args << QStringLiteral("--user") << QString::fromLatin1(m_user) << QStringLiteral("--password")
             << QString::fromLatin1(m_password);
    args << m_tlsArgs << m_authExclude << m_bearerArgs;

    m_process = std::make_unique<QProcess>();
    // Python's own messages (a failed import, a traceback) go to the test's stderr.
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process->start(m_python, args);
    if (!m_process->waitForStarted(timeoutMs)) {
        m_error = QStringLiteral("cannot start %1: %2").arg(m_python, m_process->errorString());
        m_process.reset();
        return false;
    }

    // The first line on stdout is the port, written once the server listens.
    QDeadlineTimer deadline(timeoutMs);
    while (!m_process->canReadLine()) {
        if (m_process->state() != QProcess::Running || deadline.hasExpired()
            || !m_process->waitForReadyRead(static_cast<int>(qMax<qint64>(1, deadline.remainingTime())))) {
            if (m_process->canReadLine())
                break;
            m_error = QStringLiteral("smtp_sink.py did not report its port (is python3-aiosmtpd installed?)");
            stop();
            return false;
        }
    }
    bool ok = false;
    const uint port = m_process->readLine().trimmed().toUInt(&ok);
    if (!ok || port == 0 || port > 65535) {
        m_error = QStringLiteral("smtp_sink.py reported no valid port");
        stop();
        return false;
    }
    m_port = static_cast<quint16>(port);
    return true;
}

void AiosmtpdServer::stop()
{
    if (m_process) {
        if (m_process->state() != QProcess::NotRunning) {
            // End of stdin asks the server to stop; terminate and kill are the fallbacks.
            m_process->closeWriteChannel();
            if (!m_process->waitForFinished(3000)) {
                m_process->terminate();
                if (!m_process->waitForFinished(3000)) {
                    m_process->kill();
                    m_process->waitForFinished(3000);
                }
            }
        }
        m_process.reset();
    }
    m_port = 0;
}

bool AiosmtpdServer::isRunning() const
{
    return m_process && m_process->state() == QProcess::Running;
}

QString AiosmtpdServer::folder() const
{
    return m_dir ? m_dir->path() : QString();
}

QList<AiosmtpdServer::Mail> AiosmtpdServer::mails() const
{
    QList<Mail> result;
    if (!m_dir)
        return result;
    QDir dir(m_dir->path());
    const QStringList metas = dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    for (const QString &meta : metas) {
        QFile metaFile(dir.filePath(meta));
        QFile mailFile(dir.filePath(meta.chopped(5) + QStringLiteral(".eml")));
        if (!metaFile.open(QIODevice::ReadOnly) || !mailFile.open(QIODevice::ReadOnly))
            continue;
        const QJsonObject obj = QJsonDocument::fromJson(metaFile.readAll()).object();
        Mail mail;
        mail.content = mailFile.readAll();
        mail.mailFrom = obj.value(QStringLiteral("mail_from")).toString().toLatin1();
        for (const QJsonValue &v : obj.value(QStringLiteral("rcpt_tos")).toArray())
            mail.rcptTos.append(v.toString().toLatin1());
        mail.login = obj.value(QStringLiteral("login")).toString().toLatin1();
        result.append(mail);
    }
    return result;
}

QList<QByteArray> AiosmtpdServer::commands() const
{
    if (!m_dir)
        return {};
    QFile log(QDir(m_dir->path()).filePath(QStringLiteral("commands.log")));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines = log.readAll().split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void AiosmtpdServer::clearMails()
{
    if (!m_dir)
        return;
    QDir dir(m_dir->path());
    for (const QString &name : dir.entryList(QDir::Files))
        dir.remove(name);
}
