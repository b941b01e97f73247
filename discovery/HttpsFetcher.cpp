#include "discovery/HttpsFetcher.h"

#include <QAuthenticator>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QTimer>

DocumentFetcher::Reply HttpsFetcher::get(const QUrl &url)
{
    Reply result;
    if (url.scheme() != QLatin1String("https")) {
        result.error = QStringLiteral("not an https address");
        return result;
    }
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(3);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::AuthenticationReuseAttribute, QNetworkRequest::Manual);
    QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
    ssl.setPeerVerifyMode(QSslSocket::VerifyPeer);
    if (!extraCaCertificates.isEmpty())
        ssl.addCaCertificates(extraCaCertificates);
    request.setSslConfiguration(ssl);

    QNetworkReply *reply = manager.get(request);
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    bool timedOut = false;
    bool tooLarge = false;
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    // A redirect to anything but https is refused (the policy already refuses https to http).
    QObject::connect(reply, &QNetworkReply::redirected, &loop, [&](const QUrl &to) {
        if (to.scheme() != QLatin1String("https"))
            reply->abort();
    });
    const auto overCap = [&] {
        if (reply->header(QNetworkRequest::ContentLengthHeader).toLongLong() > cap
            || result.body.size() + reply->bytesAvailable() > cap) {
            tooLarge = true;
            reply->abort();
            return true;
        }
        return false;
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &loop, [&] { overCap(); });
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        if (!overCap())
            result.body += reply->readAll();
    });
    // Servers that ask for a login get none: no password leaves the machine here.
    QObject::connect(&manager, &QNetworkAccessManager::authenticationRequired, &loop,
                     [&](QNetworkReply *r, QAuthenticator *) { r->abort(); });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    timer.start(timeOutMs);
    if (!reply->isFinished())
        loop.exec();
    if (!tooLarge && reply->error() == QNetworkReply::NoError && !overCap())
        result.body += reply->readAll();

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (tooLarge)
        result.error = QStringLiteral("the document is larger than %1 KB").arg(cap / 1024);
    else if (timedOut)
        result.error = QStringLiteral("no answer within %1 s").arg(timeOutMs / 1000);
    else if (status != 0 && status != 200)
        result.error = QStringLiteral("HTTP %1").arg(status);
    else if (reply->error() != QNetworkReply::NoError)
        result.error = reply->errorString();
    if (!result.ok())
        result.body.clear();
    delete reply;
    return result;
}
