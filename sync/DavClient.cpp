#include "sync/DavClient.h"

#include <QEventLoop>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <memory>

namespace korvale::sync {

namespace {
constexpr int kTransferTimeoutMs = 120000;
}

DavClient::DavClient(const QString& user, const QString& password) {
    if (!user.isEmpty()) authorization_ = "Basic " + (user + QLatin1Char(':') + password).toUtf8().toBase64();
    // A server that turns the credentials down asks again; giving nothing makes the request end as 401.
}

DavReply DavClient::send(const QByteArray& verb, const QUrl& url, const QByteArray& body,
                         const Headers& headers) {
    QNetworkRequest request(url);
    request.setTransferTimeout(kTransferTimeoutMs);
    if (!authorization_.isEmpty()) request.setRawHeader("Authorization", authorization_);
    if (!body.isEmpty()) {
        request.setHeader(QNetworkRequest::ContentTypeHeader,
                          verb == "PUT" ? "text/vcard; charset=utf-8" : "application/xml; charset=utf-8");
    }
    for (const auto& [name, value] : headers) request.setRawHeader(name, value);
    ++requests_;
    // Owned here and deleted once read: a finished reply needs no event loop to go.
    const std::unique_ptr<QNetworkReply> reply(network_.sendCustomRequest(request, verb, body));
    QEventLoop wait;
    QObject::connect(reply.get(), &QNetworkReply::finished, &wait, &QEventLoop::quit);
    if (!reply->isFinished()) wait.exec();

    DavReply answer;
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.body = reply->readAll();
    answer.etag = QString::fromUtf8(reply->rawHeader("ETag"));
    if (answer.status == 0) answer.error = reply->errorString();
    if (answer.status != 0 && answer.status != 401) accepted_ = true;
    return answer;
}

QString failureText(const QByteArray& verb, const QUrl& url, const DavReply& reply) {
    const QString where =
        QString::fromLatin1(verb) + QStringLiteral(" ") + url.toDisplayString(QUrl::RemoveUserInfo);
    if (reply.status == 0) return where + QStringLiteral(" got no answer: ") + reply.error;
    if (reply.status == 401) return where + QStringLiteral(": the server refused the user name or password");
    return where + QStringLiteral(": the server answered ") + QString::number(reply.status);
}

}  // namespace korvale::sync
