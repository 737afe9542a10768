#include "sync/DavClient.h"

#include <QEventLoop>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <algorithm>
#include <memory>

#include "store/StoreError.h"
#include "sync/DavLimits.h"
#include "sync/DavPolicy.h"
#include "sync/DavXml.h"

namespace korvale::sync {

namespace {

QString where(const QByteArray& verb, const QUrl& url) {
    return QString::fromLatin1(verb) + QLatin1Char(' ') + url.toDisplayString(QUrl::RemoveUserInfo);
}

[[noreturn]] void refuse(const QByteArray& verb, const QUrl& url, const QString& why) {
    throw StoreError("Cannot sync: " + where(verb, url).toStdString() + ": " + why.toStdString());
}

QString seconds(int ms) {
    return QString::number(ms / 1000.0) + QStringLiteral(" s");
}

QString bytes(qint64 count) {
    return count >= (qint64(1) << 20) ? QString::number(count >> 20) + QStringLiteral(" MiB")
                                      : QString::number(count) + QStringLiteral(" bytes");
}

QString originOf(const QUrl& url) {
    return url.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment | QUrl::RemoveUserInfo)
        .toDisplayString();
}

// Why a request was cut off before its answer was whole.
enum class Cut { None, Deadline, Silence, Size };

bool isRedirect(int status) {
    return status == 301 || status == 302 || status == 307 || status == 308;
}

QString statusMeaning(int status) {
    switch (status) {
        case 400:
            return QStringLiteral(" (the server did not understand the request)");
        case 403:
            return QStringLiteral(" (forbidden: the user may not use this address)");
        case 404:
            return QStringLiteral(" (there is nothing at this address)");
        case 405:
            return QStringLiteral(" (the address takes no such request: it may not be a CardDAV one)");
        case 500:
            return QStringLiteral(" (the server failed on its side)");
        case 502:
        case 504:
            return QStringLiteral(" (a gateway in front of the server failed)");
        case 503:
            return QStringLiteral(" (the server is unavailable for now; try again later)");
        default:
            return {};
    }
}

}  // namespace

DavClient::DavClient(const QUrl& server, const QString& user, const QString& password) : server_(server) {
    if (!user.isEmpty()) authorization_ = "Basic " + (user + QLatin1Char(':') + password).toUtf8().toBase64();
    // A server that turns the credentials down asks again; giving nothing makes the request end as 401.
}

DavReply DavClient::send(const QByteArray& verb, const QUrl& url, const QByteArray& body,
                         const Headers& headers) {
    const DavLimits& limits = davLimits();
    const QDeadlineTimer deadline(limits.deadlineMs);
    for (const auto& [name, value] : headers) {
        if (hasControl(QString::fromLatin1(value)))
            refuse(verb, url,
                   QString::fromLatin1(name) + QStringLiteral(" would hold control characters; refused"));
    }
    QUrl target = url;
    for (int hop = 0;; ++hop) {
        if (!sameOrigin(server_, target)) {
            refuse(verb, target,
                   QStringLiteral("it is not on ") + originOf(server_) +
                       QStringLiteral("; refused, so that the password goes nowhere else"));
        }
        QUrl next;
        DavReply reply = sendOnce(verb, target, body, headers, deadline, next);
        if (next.isEmpty()) {
            reply.url = target;
            return reply;
        }
        if (!sameOrigin(server_, next)) {
            refuse(verb, target,
                   QStringLiteral("the server redirects it to ") +
                       next.toDisplayString(QUrl::RemoveUserInfo) + QStringLiteral(", which is not on ") +
                       originOf(server_) +
                       QStringLiteral("; refused, so that the password goes nowhere else"));
        }
        if (hop == limits.redirects) {
            refuse(verb, url,
                   QStringLiteral("the server redirected it more than ") + QString::number(limits.redirects) +
                       QStringLiteral(" times"));
        }
        target = next;
    }
}

DavReply DavClient::sendOnce(const QByteArray& verb, const QUrl& url, const QByteArray& body,
                             const Headers& headers, const QDeadlineTimer& deadline, QUrl& redirect) {
    const DavLimits& limits = davLimits();
    QNetworkRequest request(url);
    // Redirects are followed by send() itself, which sees where they lead before the credentials go.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    if (!authorization_.isEmpty()) request.setRawHeader("Authorization", authorization_);
    if (!body.isEmpty()) {
        request.setHeader(QNetworkRequest::ContentTypeHeader,
                          verb == "PUT" ? "text/vcard; charset=utf-8" : "application/xml; charset=utf-8");
    }
    for (const auto& [name, value] : headers) request.setRawHeader(name, value);
    ++requests_;
    // Owned here and deleted once read: a finished reply needs no event loop to go.
    const std::unique_ptr<QNetworkReply> reply(network_.sendCustomRequest(request, verb, body));
    QNetworkReply* const pending = reply.get();

    QByteArray answer;
    Cut cut = Cut::None;
    QEventLoop wait;
    const auto stop = [&](Cut why) {
        if (cut != Cut::None) return;
        cut = why;
        pending->abort();
    };
    QTimer whole;
    whole.setSingleShot(true);
    QObject::connect(&whole, &QTimer::timeout, &wait, [&] { stop(Cut::Deadline); });
    QTimer silence;
    silence.setSingleShot(true);
    QObject::connect(&silence, &QTimer::timeout, &wait, [&] { stop(Cut::Silence); });
    QObject::connect(pending, &QNetworkReply::metaDataChanged, &wait, [&] {
        const QVariant length = pending->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > limits.answerBytes) stop(Cut::Size);
    });
    QObject::connect(pending, &QNetworkReply::readyRead, &wait, [&] {
        silence.start(limits.silenceMs);
        answer += pending->read(limits.answerBytes + 1 - answer.size());
        if (answer.size() > limits.answerBytes) stop(Cut::Size);
    });
    QObject::connect(pending, &QNetworkReply::uploadProgress, &wait,
                     [&] { silence.start(limits.silenceMs); });
    QObject::connect(pending, &QNetworkReply::finished, &wait, &QEventLoop::quit);
    if (!pending->isFinished()) {
        whole.start(static_cast<int>(std::max<qint64>(0, deadline.remainingTime())));
        silence.start(limits.silenceMs);
        wait.exec();
    }
    if (cut == Cut::None && pending->bytesAvailable() > 0) {
        answer += pending->read(limits.answerBytes + 1 - answer.size());
        if (answer.size() > limits.answerBytes) cut = Cut::Size;
    }
    switch (cut) {
        case Cut::Deadline:
            refuse(verb, url, QStringLiteral("the answer did not end within ") + seconds(limits.deadlineMs));
        case Cut::Silence:
            refuse(verb, url, QStringLiteral("no answer within ") + seconds(limits.silenceMs));
        case Cut::Size:
            refuse(verb, url,
                   QStringLiteral("the answer is larger than ") + bytes(limits.answerBytes) +
                       QStringLiteral("; refused"));
        case Cut::None:
            break;
    }

    DavReply result;
    result.status = pending->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.body = std::move(answer);
    result.etag = QString::fromUtf8(pending->rawHeader("ETag"));
    if (hasControl(result.etag))
        refuse(verb, url, QStringLiteral("the server's ETag holds control characters; refused"));
    if (result.status == 0) result.error = pending->errorString();
    if (result.status != 0 && result.status != 401) accepted_ = true;
    if (isRedirect(result.status) && pending->hasRawHeader("Location"))
        redirect = url.resolved(QUrl(QString::fromUtf8(pending->rawHeader("Location"))));
    return result;
}

QString failureText(const QByteArray& verb, const QUrl& url, const DavReply& reply) {
    const QString request = where(verb, url);
    if (reply.status == 0) return request + QStringLiteral(" got no answer: ") + reply.error;
    if (reply.status == 401)
        return request + QStringLiteral(": the server refused the user name or password");
    if (reply.status == 207) {
        Multistatus ignored;
        QString problem;
        if (!readMultistatus(reply.body, ignored, &problem)) {
            return QStringLiteral("the server's answer to ") + request +
                   QStringLiteral(" is not WebDAV XML: ") + problem;
        }
    }
    return request + QStringLiteral(": the server answered ") + QString::number(reply.status) +
           statusMeaning(reply.status);
}

}  // namespace korvale::sync
