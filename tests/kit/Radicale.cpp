#include "tests/kit/Radicale.h"

#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace kit {

QString Radicale::missing() {
    if (run(QStringLiteral(KORVALE_PYTHON), {"-c", "import vobject"}).exitCode != 0)
        return QStringLiteral("python3-vobject is missing (apt install python3-vobject)");
    return QFile::exists(KORVALE_RADICALE) ? QString()
                                           : QStringLiteral("radicale is missing (apt install radicale)");
}

Radicale::Radicale(const QString& user) : user_(user) {
    QFile users(dir_.filePath(QStringLiteral("users")));
    if (!users.open(QIODevice::WriteOnly)) QFAIL("cannot write the password file");
    users.write((user + ":" + password()).toUtf8());
    users.close();
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    port_ = probe.serverPort();
    probe.close();
    radicale_.start(KORVALE_RADICALE,
                    {"--config", "", "--server-hosts", QStringLiteral("127.0.0.1:%1").arg(port_),
                     "--storage-filesystem-folder", dir_.filePath("store"), "--auth-type", "htpasswd",
                     "--auth-htpasswd-filename", users.fileName(), "--auth-htpasswd-encryption", "plain",
                     "--rights-type", "owner_only"});
    const auto listening = [this] {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port_);
        return socket.waitForConnected(200);
    };
    QTRY_VERIFY_WITH_TIMEOUT(listening(), 10000);
    const Run made = dav({"mkbook", book()});
    QVERIFY2(made.exitCode == 0, qPrintable(made.said()));
}

Radicale::~Radicale() {
    radicale_.kill();
    radicale_.waitForFinished();
}

Run Radicale::dav(QStringList arguments) const {
    arguments.insert(2, user_);
    arguments.insert(3, password());
    return run(KORVALE_PYTHON, QStringList{DAV_CARD_SCRIPT} + arguments);
}

}  // namespace kit
