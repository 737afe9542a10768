#include "sync/DavPolicy.h"

#include <QHostAddress>

#include <algorithm>

#include "store/StoreError.h"

namespace korvale::sync {

namespace {

int portOf(const QUrl& url) {
    return url.port(url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443 : 80);
}

std::string shown(const QUrl& url) {
    return url.toDisplayString(QUrl::RemoveUserInfo).toStdString();
}

bool isLoopback(const QString& host) {
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

QString normalPath(const QUrl& url) {
    return url.adjusted(QUrl::NormalizePathSegments).path(QUrl::FullyDecoded);
}

}  // namespace

bool sameOrigin(const QUrl& a, const QUrl& b) {
    return a.scheme().compare(b.scheme(), Qt::CaseInsensitive) == 0 &&
           a.host().compare(b.host(), Qt::CaseInsensitive) == 0 && portOf(a) == portOf(b);
}

QString quoted(const QString& text) {
    QString escaped;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u < 0xA0)) {
            escaped += QStringLiteral("\\x%1").arg(int(u), 2, 16, QLatin1Char('0'));
        } else {
            escaped += c;
        }
    }
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

bool hasControl(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return u < 0x20 || (u >= 0x7F && u < 0xA0);
    });
}

void requirePrivateCredentials(const QUrl& server, bool withCredentials, bool allowPlainHttp) {
    if (!withCredentials || allowPlainHttp || server.scheme() != QLatin1String("http") ||
        isLoopback(server.host())) {
        return;
    }
    throw StoreError("Cannot sync: " + shown(server) +
                     " is plain http, which would send the password readable by anyone on the way; use "
                     "https, or give --allow-plain-http on a network you trust");
}

void requireOnServer(const QUrl& server, const QUrl& found, const char* what) {
    if (sameOrigin(server, found)) return;
    throw StoreError("Cannot sync: the server puts " + std::string(what) + " at " + shown(found) +
                     ", which is not on " + shown(server.adjusted(QUrl::RemovePath | QUrl::RemoveQuery)) +
                     "; refused, so that the password goes nowhere else");
}

void requireCardHref(const QUrl& collection, const QString& href) {
    const QUrl card = collection.resolved(QUrl(href));
    const QString inside = normalPath(collection);
    const QString path = normalPath(card);
    if (sameOrigin(collection, card) && path.size() > inside.size() && path.startsWith(inside)) return;
    throw StoreError("Cannot sync: the server lists a card " + quoted(href).toStdString() +
                     " outside the address book " + shown(collection) + "; refused");
}

void requireCardTag(const QString& href, const QString& etag) {
    if (!hasControl(etag)) return;
    throw StoreError("Cannot sync: the server gives the card " + quoted(href).toStdString() + " the tag " +
                     quoted(etag).toStdString() + ", which holds control characters; refused");
}

void requireCardUid(const QString& href, const QString& uid) {
    if (!hasControl(uid)) return;
    throw StoreError("Cannot sync: the card " + quoted(href).toStdString() + " has the UID " +
                     quoted(uid).toStdString() + ", which holds control characters; refused");
}

}  // namespace korvale::sync
