#include "os/QtKeychainKeyring.h"

#include <QEventLoop>
#include <QTimer>
#include <qt6keychain/keychain.h>

namespace {

PasswordKeyring::Status statusOf(QKeychain::Error error)
{
    switch (error) {
    case QKeychain::NoError: return PasswordKeyring::Status::Ok;
    case QKeychain::EntryNotFound: return PasswordKeyring::Status::NotFound;
    case QKeychain::NoBackendAvailable:
    case QKeychain::NotImplemented: return PasswordKeyring::Status::NoService;
    case QKeychain::AccessDenied:
    case QKeychain::AccessDeniedByUser: return PasswordKeyring::Status::Refused;
    default: return PasswordKeyring::Status::Failed;
    }
}

// Runs the job and waits for it, at most timeOutMs. The job deletes itself when it ends,
// also after the wait was given up.
PasswordKeyring::Result run(QKeychain::Job *job, int timeOutMs)
{
    PasswordKeyring::Result result;
    bool finished = false;
    QEventLoop loop;
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&](QKeychain::Job *done) {
        finished = true;
        result.status = statusOf(done->error());
        if (result.status != PasswordKeyring::Status::Ok)
            result.message = done->errorString();
        if (auto *reading = qobject_cast<QKeychain::ReadPasswordJob *>(done); reading && result.ok())
            result.password = reading->binaryData().toStdString();
        loop.quit();
    });
    QTimer::singleShot(timeOutMs, &loop, &QEventLoop::quit);
    job->setAutoDelete(true);
    job->start();
    if (!finished)
        loop.exec();
    if (!finished) {
        // The job may still end later; it must not reach this finished frame.
        QObject::disconnect(job, nullptr, &loop, nullptr);
        result.status = PasswordKeyring::Status::TimedOut;
        result.message = QStringLiteral("The keyring did not answer within %1 seconds (is it locked?).").arg(timeOutMs / 1000);
    }
    if (result.status == PasswordKeyring::Status::Refused && result.message.isEmpty())
        result.message = QStringLiteral("The keyring refused access (is it locked?).");
    return result;
}

} // namespace

PasswordKeyring::Result QtKeychainKeyring::read(const QString &key)
{
    auto *job = new QKeychain::ReadPasswordJob(QString::fromLatin1(Service));
    job->setKey(key);
    return run(job, TimeOutMs);
}

PasswordKeyring::Result QtKeychainKeyring::write(const QString &key, const std::string &password)
{
    auto *job = new QKeychain::WritePasswordJob(QString::fromLatin1(Service));
    job->setKey(key);
    job->setBinaryData(QByteArray::fromStdString(password));
    return run(job, TimeOutMs);
}

PasswordKeyring::Result QtKeychainKeyring::remove(const QString &key)
{
    auto *job = new QKeychain::DeletePasswordJob(QString::fromLatin1(Service));
    job->setKey(key);
    PasswordKeyring::Result result = run(job, TimeOutMs);
    if (result.status == Status::NotFound)
        result = {Status::Ok, {}, {}};
    return result;
}
