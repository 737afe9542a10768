#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QString>
#include <QUrl>
#include <utility>
#include <vector>

namespace korvale::sync {

struct DavReply {
    // The HTTP status; 0 when no answer came (the network, a refused certificate).
    int status = 0;
    QByteArray body;
    QString etag;
    // Why no answer came, without the URL's user part or any credential.
    QString error;
};

// Sends WebDAV requests one at a time and waits for each, through Qt's network access manager with its
// own certificate checks. The user name and password go out in a Basic Authorization header with every
// request, so that no request costs a second round trip for a challenge; they are never part of a URL
// or of any text this class returns.
class DavClient {
public:
    using Headers = std::vector<std::pair<QByteArray, QByteArray>>;

    DavClient(const QString& user, const QString& password);
    DavReply send(const QByteArray& verb, const QUrl& url, const QByteArray& body = {},
                  const Headers& headers = {});
    // How many requests were sent.
    int requests() const { return requests_; }
    // Whether the server answered a request without turning the credentials down (no 401).
    bool accepted() const { return accepted_; }

private:
    QNetworkAccessManager network_;
    QByteArray authorization_;
    int requests_ = 0;
    bool accepted_ = false;
};

// What a reply that is not `expected` says, naming the request and the URL without its user part.
QString failureText(const QByteArray& verb, const QUrl& url, const DavReply& reply);

}  // namespace korvale::sync
