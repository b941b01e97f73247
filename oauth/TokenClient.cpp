#include "oauth/TokenClient.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace {

// Who an ID token names: its payload's "email", else "preferred_username" (Microsoft).
// The token came straight from the endpoint over TLS, so its signature is not checked;
// the name is only shown.
QString accountOf(const QString &idToken)
{
    const QList<QString> parts = idToken.split(QLatin1Char('.'));
    if (parts.size() != 3)
        return {};
    const QByteArray payload = QByteArray::fromBase64(parts[1].toLatin1(), QByteArray::Base64UrlEncoding);
    const QJsonObject claims = QJsonDocument::fromJson(payload).object();
    const QString email = claims.value(QStringLiteral("email")).toString();
    return email.isEmpty() ? claims.value(QStringLiteral("preferred_username")).toString() : email;
}

} // namespace

TokenClient::TokenClient(OAuthClient client)
    : m_client(std::move(client))
{
}

TokenClient::Answer TokenClient::readAnswer(int httpStatus, const QByteArray &body)
{
    Answer answer;
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    const QJsonObject json = document.object();
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        answer.problem = httpStatus == 200 ? QStringLiteral("The token endpoint's answer is not readable.")
                                           : QStringLiteral("The token endpoint answered HTTP %1.").arg(httpStatus);
        return answer;
    }
    answer.error = json.value(QStringLiteral("error")).toString();
    if (!answer.error.isEmpty() || httpStatus != 200) {
        const QString description = json.value(QStringLiteral("error_description")).toString();
        if (answer.error.isEmpty())
            answer.error = QStringLiteral("http_%1").arg(httpStatus);
        answer.problem = QStringLiteral("The provider refused: %1").arg(answer.error);
        if (!description.isEmpty())
            answer.problem += QStringLiteral(" (%1)").arg(description.left(300));
        return answer;
    }
    answer.accessToken = json.value(QStringLiteral("access_token")).toString().toStdString();
    answer.refreshToken = json.value(QStringLiteral("refresh_token")).toString().toStdString();
    answer.expiresIn = json.value(QStringLiteral("expires_in")).toVariant().toInt();
    answer.account = accountOf(json.value(QStringLiteral("id_token")).toString());
    const QString type = json.value(QStringLiteral("token_type")).toString();
    if (answer.accessToken.empty())
        answer.problem = QStringLiteral("The token endpoint's answer holds no access token.");
    else if (!type.isEmpty() && type.compare(QLatin1String("Bearer"), Qt::CaseInsensitive) != 0)
        answer.problem = QStringLiteral("The token endpoint hands out tokens of type %1, not Bearer.").arg(type);
    return answer;
}

TokenClient::Answer TokenClient::exchangeCode(const QString &code, const QString &verifier,
                                              const QString &redirectUri) const
{
    return post({{QStringLiteral("grant_type"), QStringLiteral("authorization_code")},
                 {QStringLiteral("code"), code},
                 {QStringLiteral("code_verifier"), verifier},
                 {QStringLiteral("redirect_uri"), redirectUri}});
}

TokenClient::Answer TokenClient::refresh(const std::string &refreshToken) const
{
    return post({{QStringLiteral("grant_type"), QStringLiteral("refresh_token")},
                 {QStringLiteral("refresh_token"), QString::fromStdString(refreshToken)}});
}

TokenClient::Answer TokenClient::post(const QList<std::pair<QString, QString>> &fields) const
{
    if (const QString problem = m_client.problem(false); !problem.isEmpty()) {
        Answer answer;
        answer.problem = problem;
        return answer;
    }
    // application/x-www-form-urlencoded, every value percent-encoded ("+" in a token is no blank).
    QList<std::pair<QString, QString>> all = fields;
    all.append({QStringLiteral("client_id"), m_client.clientId.trimmed()});
    if (!m_client.clientSecret.isEmpty())
        all.append({QStringLiteral("client_secret"), m_client.clientSecret});
    QByteArray body;
    for (const auto &[name, value] : all) {
        if (!body.isEmpty())
            body += '&';
        body += name.toLatin1() + '=' + QUrl::toPercentEncoding(value);
    }

    QNetworkAccessManager network;
    QNetworkRequest request(QUrl(m_client.tokenUrl.trimmed()));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
    request.setRawHeader("Accept", "application/json");
    // A token endpoint that redirects is not followed: the tokens go where they were asked.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    QNetworkReply *reply = network.post(request, body);
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    timer.start(timeOut * 1000);
    if (!reply->isFinished())
        loop.exec();
    Answer answer;
    if (!reply->isFinished()) {
        reply->abort();
        answer.problem = QStringLiteral("The token endpoint %1 did not answer within %2 seconds.")
                             .arg(m_client.tokenUrl)
                             .arg(timeOut);
    } else {
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (status == 0)
            answer.problem = QStringLiteral("The token endpoint %1 cannot be reached: %2")
                                 .arg(m_client.tokenUrl, reply->errorString());
        else
            answer = readAnswer(status, reply->read(1024 * 1024));
    }
    reply->deleteLater();
    return answer;
}
