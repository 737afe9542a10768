#include "sync/DavXml.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace korvale::sync {

namespace {

const QString kDav = QStringLiteral("DAV:");
const QString kCardDav = QStringLiteral("urn:ietf:params:xml:ns:carddav");

// A request of `root` (in `rootNs`) whose body `fill` writes; DAV: is the default namespace and C: is
// CardDAV's.
template <typename Fill>
QByteArray request(const QString& rootNs, const char* root, Fill fill) {
    QByteArray body;
    QXmlStreamWriter xml(&body);
    xml.writeStartDocument();
    xml.writeDefaultNamespace(kDav);
    xml.writeNamespace(kCardDav, QStringLiteral("C"));
    xml.writeStartElement(rootNs, QString::fromLatin1(root));
    fill(xml);
    xml.writeEndElement();
    xml.writeEndDocument();
    return body;
}

void writeProps(QXmlStreamWriter& xml, bool withData) {
    xml.writeStartElement(kDav, QStringLiteral("prop"));
    xml.writeEmptyElement(kDav, QStringLiteral("getetag"));
    if (withData) xml.writeEmptyElement(kCardDav, QStringLiteral("address-data"));
    xml.writeEndElement();
}

int statusOf(const QString& line) {
    // "HTTP/1.1 404 Not Found"
    const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return words.size() >= 2 ? words[1].toInt() : 0;
}

bool is(const QXmlStreamReader& xml, const QString& ns, const char* name) {
    return xml.namespaceUri() == ns && xml.name() == QLatin1String(name);
}

// The text of the first <href> inside the element the reader stands on.
QString innerHref(QXmlStreamReader& xml) {
    QString href;
    while (xml.readNextStartElement()) {
        if (href.isEmpty() && is(xml, kDav, "href")) {
            href = xml.readElementText().trimmed();
        } else {
            xml.skipCurrentElement();
        }
    }
    return href;
}

void readProp(QXmlStreamReader& xml, DavResource& found) {
    while (xml.readNextStartElement()) {
        if (is(xml, kDav, "getetag")) {
            found.etag = xml.readElementText().trimmed();
        } else if (is(xml, kCardDav, "address-data")) {
            found.addressData = xml.readElementText().toUtf8();
        } else if (is(xml, kDav, "resourcetype")) {
            while (xml.readNextStartElement()) {
                if (is(xml, kCardDav, "addressbook")) found.isAddressBook = true;
                xml.skipCurrentElement();
            }
        } else if (is(xml, kDav, "displayname")) {
            found.displayName = xml.readElementText().trimmed();
        } else if (is(xml, kDav, "current-user-principal")) {
            found.principal = innerHref(xml);
        } else if (is(xml, kCardDav, "addressbook-home-set")) {
            found.addressBookHome = innerHref(xml);
        } else if (is(xml, kDav, "sync-token")) {
            found.syncToken = xml.readElementText().trimmed();
        } else {
            xml.skipCurrentElement();
        }
    }
}

// Only the properties of a 200 propstat count; the others are those the server does not have.
void readPropstat(QXmlStreamReader& xml, DavResource& found) {
    DavResource props;
    int status = 0;
    while (xml.readNextStartElement()) {
        if (is(xml, kDav, "prop")) {
            readProp(xml, props);
        } else if (is(xml, kDav, "status")) {
            status = statusOf(xml.readElementText());
        } else {
            xml.skipCurrentElement();
        }
    }
    if (status != 200) return;
    if (!props.etag.isEmpty()) found.etag = props.etag;
    if (!props.addressData.isEmpty()) found.addressData = std::move(props.addressData);
    found.isAddressBook = found.isAddressBook || props.isAddressBook;
    if (!props.displayName.isEmpty()) found.displayName = props.displayName;
    if (!props.principal.isEmpty()) found.principal = props.principal;
    if (!props.addressBookHome.isEmpty()) found.addressBookHome = props.addressBookHome;
    if (!props.syncToken.isEmpty()) found.syncToken = props.syncToken;
}

DavResource readResponse(QXmlStreamReader& xml) {
    DavResource found;
    while (xml.readNextStartElement()) {
        if (is(xml, kDav, "href")) {
            found.href = xml.readElementText().trimmed();
        } else if (is(xml, kDav, "status")) {
            found.status = statusOf(xml.readElementText());
        } else if (is(xml, kDav, "propstat")) {
            readPropstat(xml, found);
        } else {
            xml.skipCurrentElement();
        }
    }
    return found;
}

}  // namespace

QByteArray discoveryPropfind() {
    return request(kDav, "propfind", [](QXmlStreamWriter& xml) {
        xml.writeStartElement(kDav, QStringLiteral("prop"));
        xml.writeEmptyElement(kDav, QStringLiteral("resourcetype"));
        xml.writeEmptyElement(kDav, QStringLiteral("displayname"));
        xml.writeEmptyElement(kDav, QStringLiteral("current-user-principal"));
        xml.writeEmptyElement(kCardDav, QStringLiteral("addressbook-home-set"));
        xml.writeEndElement();
    });
}

QByteArray etagPropfind() {
    return request(kDav, "propfind", [](QXmlStreamWriter& xml) { writeProps(xml, false); });
}

QByteArray syncTokenPropfind() {
    return request(kDav, "propfind", [](QXmlStreamWriter& xml) {
        xml.writeStartElement(kDav, QStringLiteral("prop"));
        xml.writeEmptyElement(kDav, QStringLiteral("sync-token"));
        xml.writeEndElement();
    });
}

QByteArray everyCardQuery() {
    return request(kCardDav, "addressbook-query", [](QXmlStreamWriter& xml) {
        writeProps(xml, true);
        xml.writeEmptyElement(kCardDav, QStringLiteral("filter"));
    });
}

QByteArray syncCollectionReport(const QString& token, bool withData) {
    return request(kDav, "sync-collection", [&](QXmlStreamWriter& xml) {
        xml.writeTextElement(kDav, QStringLiteral("sync-token"), token);
        xml.writeTextElement(kDav, QStringLiteral("sync-level"), QStringLiteral("1"));
        writeProps(xml, withData);
    });
}

QByteArray multigetReport(const QStringList& hrefs) {
    return request(kCardDav, "addressbook-multiget", [&](QXmlStreamWriter& xml) {
        writeProps(xml, true);
        for (const QString& href : hrefs) xml.writeTextElement(kDav, QStringLiteral("href"), href);
    });
}

bool readMultistatus(const QByteArray& body, Multistatus& out, QString* problem) {
    QXmlStreamReader xml(body);
    const auto failed = [&](const QString& why) {
        if (problem) *problem = why;
        return false;
    };
    const auto malformed = [&] {
        return failed(QStringLiteral("line %1, column %2: %3")
                          .arg(xml.lineNumber())
                          .arg(xml.columnNumber())
                          .arg(xml.errorString()));
    };
    if (!xml.readNextStartElement())
        return xml.hasError() ? malformed() : failed(QStringLiteral("it is empty"));
    if (!is(xml, kDav, "multistatus")) {
        return failed(QStringLiteral("its root is <") + xml.qualifiedName().toString() +
                      QStringLiteral(">, not a DAV: multistatus"));
    }
    while (xml.readNextStartElement()) {
        if (is(xml, kDav, "response")) {
            out.resources.push_back(readResponse(xml));
        } else if (is(xml, kDav, "sync-token")) {
            out.syncToken = xml.readElementText().trimmed();
        } else {
            xml.skipCurrentElement();
        }
    }
    if (!xml.hasError()) xml.readNext();
    while (!xml.atEnd() && !xml.hasError()) xml.readNext();
    return xml.hasError() ? malformed() : true;
}

}  // namespace korvale::sync
