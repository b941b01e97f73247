#include "tests/support/TestCertificates.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace {

// Elliptic-curve keys: made in milliseconds, understood by every TLS library.
const QStringList NewKey{QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                         QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};

} // namespace

QString TestCertificates::path(const QString &file) const
{
    return m_dir.filePath(file);
}

QString TestCertificates::caFile() const
{
    return path(QStringLiteral("ca.pem"));
}

bool TestCertificates::run(const QStringList &arguments)
{
    QProcess openssl;
    openssl.start(m_openssl, arguments);
    if (!openssl.waitForFinished(30000) || openssl.exitStatus() != QProcess::NormalExit || openssl.exitCode() != 0) {
        m_error = QStringLiteral("openssl %1 failed: %2")
                      .arg(arguments.value(0), QString::fromLocal8Bit(openssl.readAllStandardError()).trimmed());
        return false;
    }
    return true;
}

bool TestCertificates::create()
{
    m_openssl = QStandardPaths::findExecutable(QStringLiteral("openssl"));
    if (m_openssl.isEmpty()) {
        m_error = QStringLiteral("the openssl command is missing (Debian package openssl)");
        return false;
    }
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("cannot create a temporary folder");
        return false;
    }
    return run(QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + NewKey
               + QStringList{QStringLiteral("-keyout"), path(QStringLiteral("ca.key")), QStringLiteral("-out"), caFile(),
                             QStringLiteral("-days"), QStringLiteral("30"), QStringLiteral("-subj"),
                             QStringLiteral("/CN=Vellorn Test CA"), QStringLiteral("-addext"),
                             QStringLiteral("basicConstraints=critical,CA:TRUE"), QStringLiteral("-addext"),
                             QStringLiteral("keyUsage=critical,keyCertSign,cRLSign")});
}

TestCertificates::Issued TestCertificates::issue(const QString &name, const QStringList &altNames, bool selfSigned)
{
    const QString key = path(name + QStringLiteral(".key"));
    const QString certificate = path(name + QStringLiteral(".pem"));
    const QString subject = QStringLiteral("/CN=") + altNames.value(0).section(QLatin1Char(':'), 1);
    const QString alt = QStringLiteral("subjectAltName=") + altNames.join(QLatin1Char(','));
    bool ok = false;
    if (selfSigned) {
        ok = run(QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + NewKey
                 + QStringList{QStringLiteral("-keyout"), key, QStringLiteral("-out"), certificate, QStringLiteral("-days"),
                               QStringLiteral("30"), QStringLiteral("-subj"), subject, QStringLiteral("-addext"), alt});
    } else {
        const QString request = path(name + QStringLiteral(".csr"));
        const QString extensions = path(name + QStringLiteral(".ext"));
        QFile ext(extensions);
        ok = ext.open(QIODevice::WriteOnly)
            && ext.write((alt + QStringLiteral("\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n")).toLatin1()) > 0;
        ext.close();
        ok = ok
            && run(QStringList{QStringLiteral("req")} + NewKey
                   + QStringList{QStringLiteral("-keyout"), key, QStringLiteral("-out"), request, QStringLiteral("-subj"), subject})
            && run(QStringList{QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), request,
                               QStringLiteral("-CA"), caFile(), QStringLiteral("-CAkey"), path(QStringLiteral("ca.key")),
                               QStringLiteral("-CAcreateserial"), QStringLiteral("-out"), certificate, QStringLiteral("-days"),
                               QStringLiteral("30"), QStringLiteral("-extfile"), extensions});
    }
    return ok ? Issued{certificate, key} : Issued{};
}
