#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
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
    // Where the answer came from: the URL asked for, or where the server redirected it.
    QUrl url;
    // Why no answer came, without the URL's user part or any credential.
    QString error;
};

// Sends WebDAV requests one at a time and waits for each, through Qt's network access manager with its
// own certificate checks. The user name and password go out in a Basic Authorization header with every
// request, so that no request costs a second round trip for a challenge; they are never part of a URL
// or of any text this class returns, and they go only to the scheme, host and port of `server`: a request
// or a redirect anywhere else is refused. Each request keeps to davLimits(): its deadline, its silence
// and the size of its answer. A refusal, a request past its deadline and an answer too large throw
// StoreError naming the request.
class DavClient {
public:
    using Headers = std::vector<std::pair<QByteArray, QByteArray>>;

    DavClient(const QUrl& server, const QString& user, const QString& password);
    DavReply send(const QByteArray& verb, const QUrl& url, const QByteArray& body = {},
                  const Headers& headers = {});
    // How many requests were sent.
    int requests() const { return requests_; }
    const QUrl& server() const { return server_; }
    // Whether the server answered a request without turning the credentials down (no 401).
    bool accepted() const { return accepted_; }

private:
    DavReply sendOnce(const QByteArray& verb, const QUrl& url, const QByteArray& body, const Headers& headers,
                      const QDeadlineTimer& deadline, QUrl& redirect);

    QNetworkAccessManager network_;
    QUrl server_;
    QByteArray authorization_;
    int requests_ = 0;
    bool accepted_ = false;
};

// What a failed reply means, naming the request and the URL without its user part: no answer, the
// credentials refused, an answer that is no WebDAV XML, or what the status says.
QString failureText(const QByteArray& verb, const QUrl& url, const DavReply& reply);

}  // namespace korvale::sync
