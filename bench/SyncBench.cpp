// korvale-db sync against a Radicale on 127.0.0.1 holding 10,000 cards: the first on the wall clock against
// one curl multiget of all, an idle one on its own CPU time (Radicale takes seconds) against 50 ms.

#include <QCoreApplication>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <fstream>
#include <memory>
#include <stdexcept>

#include "bench/Bench.h"

namespace bench {

namespace {

constexpr std::int64_t kCards = 10000;
constexpr double kIdleBudget = 0.050;
constexpr const char* kUser = "bench";
constexpr const char* kPassword = "bench-only-password";

// Radicale with the address book /bench/book/ of kCards cards, its log silenced, stopped at the end.
class Server {
public:
    explicit Server(const std::filesystem::path& dir) {
        const std::filesystem::path book = dir / "store" / "collection-root" / kUser / "book";
        std::filesystem::create_directories(book);
        std::ofstream(book / ".Radicale.props") << R"({"tag": "VADDRESSBOOK"})";
        data_ = std::string("@").append((dir / "multiget.xml").string());  // curl reads the body from it
        std::ofstream body(data_.substr(1));
        body << R"(<?xml version="1.0" encoding="UTF-8"?><C:addressbook-multiget xmlns:D="DAV:" )"
             << R"(xmlns:C="urn:ietf:params:xml:ns:carddav"><D:prop><D:getetag/><C:address-data/></D:prop>)";
        for (std::int64_t i = 0; i < kCards; ++i) {
            const std::string name = "card-" + std::to_string(i) + ".vcf";
            std::ofstream(book / name, std::ios::binary) << cardAt(static_cast<std::uint64_t>(i));
            body << "<D:href>/" << kUser << "/book/" << name << "</D:href>";
        }
        body << "</C:addressbook-multiget>" << std::flush;  // whole before the first multiget below
        std::ofstream(dir / "users") << kUser << ':' << kPassword;

        QTcpServer probe;  // a port free on 127.0.0.1
        const quint16 port = probe.listen(QHostAddress::LocalHost) ? probe.serverPort() : 0;
        probe.close();
        url_ = "http://127.0.0.1:" + std::to_string(port) + "/" + kUser + "/book/";
        radicale_.setStandardOutputFile(QProcess::nullDevice());
        radicale_.setStandardErrorFile(QProcess::nullDevice());
        radicale_.start(
            "radicale",
            {"--config", "", "--server-hosts", QStringLiteral("127.0.0.1:%1").arg(port),
             "--storage-filesystem-folder", QString::fromStdString((dir / "store").string()), "--auth-type",
             "htpasswd", "--auth-htpasswd-filename", QString::fromStdString((dir / "users").string()),
             "--auth-htpasswd-encryption", "plain", "--rights-type", "owner_only"});
        if (!port || !radicale_.waitForStarted())
            throw std::runtime_error("cannot start radicale (apt install radicale)");
        for (int tries = 0;; ++tries, QThread::msleep(50)) {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, port);
            if (socket.waitForConnected(100)) break;
            if (tries == 100 || radicale_.state() != QProcess::Running)
                throw std::runtime_error("radicale did not start");
        }
        ::setenv("KORVALE_PASSWORD", kPassword, 1);
        multiget();  // untimed: Radicale reads every card and writes its cache on the first request for them
    }
    ~Server() { radicale_.terminate(), radicale_.waitForFinished(); }

    const std::string& url() const { return url_; }
    Sample multiget() const {
        return runChild({"curl", "-sf", "-o", "/dev/null", "-u", std::string(kUser) + ':' + kPassword, "-X",
                         "REPORT", "-H", "Depth: 1", "-H", "Content-Type: application/xml; charset=utf-8",
                         "--data-binary", data_, url_})
            .sample();
    }

private:
    QProcess radicale_;
    std::string url_;
    std::string data_;
};

// One server for both parts, made by the first that runs and stopped with the application object.
std::unique_ptr<Server> made;
Server& server(const Run& run) {
    if (!made)
        made = std::make_unique<Server>(run.scratch / "radicale"), qAddPostRoutine([] { made.reset(); });
    return *made;
}

Child sync(const Run& run, const std::filesystem::path& book) {
    return runChild({(run.programs.parent_path() / "korvale-db").string(), "sync", book.string(),
                     server(run).url(), "--user", kUser});
}

}  // namespace

std::vector<Figure> firstSync(const Run& run) {
    const Server& radicale = server(run);
    const std::filesystem::path dir = run.scratch / "first sync";
    std::vector<Figure> out;
    compare(
        out, "First sync of 10,000 cards into an empty book: korvale-db sync", Figure::Unit::Wall, {kCards},
        run.quick ? 2 : 5,
        [&](bool floor, std::size_t, std::size_t) {
            return floor ? radicale.multiget() : sync(run, emptyBook(dir)).sample();
        },
        1, 1);
    return out;
}

std::vector<Figure> idleSync(const Run& run) {
    const std::filesystem::path dir = emptyBook(run.scratch / "idle sync");
    sync(run, dir);
    std::vector<Figure> out;
    compare(out, "Sync with nothing to do, 10,000 contacts: korvale-db sync", Figure::Unit::Cpu, {kCards},
            run.reps(31), [&](bool floor, std::size_t, std::size_t) {
                if (floor) return Sample{kIdleBudget, kIdleBudget};
                const Child child = sync(run, dir);
                if (child.out.find(" 1 request to the server") == std::string::npos)
                    throw std::runtime_error("a sync with nothing to do sent more than one request: " +
                                             child.out);
                return child.sample();
            });
    return out;
}

}  // namespace bench
