// korvale-db sync against a Radicale started on 127.0.0.1 for the run, whose address book of 10,000
// cards is written straight into its store: a first sync into an empty book against one curl
// addressbook-multiget of all the cards, and a sync with nothing to do against a budget of 50 ms. The
// first is judged on the wall clock, server and all, like the curl it is held to; the second on
// korvale-db's own CPU time, as Radicale alone takes over a second to answer any question about a whole
// address book of 10,000 cards (its wall clock is in the report beside it).

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <memory>
#include <stdexcept>
#include <thread>

#include "bench/Bench.h"

namespace bench {

namespace {

constexpr std::int64_t kCards = 10000;
constexpr double kIdleBudget = 0.050;
constexpr const char* kUser = "bench";
constexpr const char* kPassword = "bench-only-password";

// A text value with ",", ";", "\" and line breaks escaped.
std::string escaped(const std::string& value) {
    std::string out;
    for (const char c : value) {
        if (c == ',' || c == ';' || c == '\\') out += '\\';
        out += c == '\n' ? std::string("\\n") : std::string(1, c);
    }
    return out;
}

std::string cardAt(std::uint64_t index) {
    using korvale::Column;
    const korvale::ClientRecord r = contactAt(index);
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:card-" + std::to_string(index) +
           "\r\nFN:" + escaped(r[Column::Name]) + "\r\nN:" + escaped(r[Column::Name]) + ";;;;\r\nADR:;;" +
           escaped(r[Column::address]) + ";;;;\r\nEMAIL;TYPE=INTERNET:" + escaped(r[Column::email_id]) +
           "\r\nTEL;TYPE=CELL:" + escaped(r[Column::cell_no]) + "\r\nNOTE:" + escaped(r[Column::remarks]) +
           "\r\nCATEGORIES:" + escaped(r[Column::CATEGORY]) + "\r\nEND:VCARD\r\n";
}

std::uint16_t freePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(s, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("no free port on 127.0.0.1");
    ::close(s);
    return ntohs(address.sin_port);
}

bool listening(std::uint16_t port) {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    const bool up = ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(s);
    return up;
}

// Radicale with the address book /bench/book/ of kCards cards, its log silenced, stopped at the end.
class Server {
public:
    explicit Server(const std::filesystem::path& dir) {
        const std::filesystem::path book = dir / "store" / "collection-root" / kUser / "book";
        std::filesystem::create_directories(book);
        std::ofstream(book / ".Radicale.props") << R"({"tag": "VADDRESSBOOK"})";
        multiget_ = dir / "multiget.xml";
        std::ofstream body(multiget_);
        body << R"(<?xml version="1.0" encoding="UTF-8"?><C:addressbook-multiget xmlns:D="DAV:" )"
             << R"(xmlns:C="urn:ietf:params:xml:ns:carddav"><D:prop><D:getetag/><C:address-data/></D:prop>)";
        for (std::int64_t i = 0; i < kCards; ++i) {
            const std::string name = "card-" + std::to_string(i) + ".vcf";
            std::ofstream(book / name, std::ios::binary) << cardAt(static_cast<std::uint64_t>(i));
            body << "<D:href>/" << kUser << "/book/" << name << "</D:href>";
        }
        body << "</C:addressbook-multiget>";
        body.close();
        std::ofstream(dir / "users") << kUser << ':' << kPassword;

        const std::uint16_t port = freePort();
        url_ = "http://127.0.0.1:" + std::to_string(port) + "/" + kUser + "/book/";
        std::vector<std::string> argv{"radicale",
                                      "--config",
                                      "",
                                      "--server-hosts",
                                      "127.0.0.1:" + std::to_string(port),
                                      "--storage-filesystem-folder",
                                      (dir / "store").string(),
                                      "--auth-type",
                                      "htpasswd",
                                      "--auth-htpasswd-filename",
                                      (dir / "users").string(),
                                      "--auth-htpasswd-encryption",
                                      "plain",
                                      "--rights-type",
                                      "owner_only"};
        std::vector<char*> args;
        for (std::string& a : argv) args.push_back(a.data());
        args.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        const int rc = ::posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) throw std::runtime_error("cannot start radicale (apt install radicale)");
        for (int tries = 0; !listening(port); ++tries) {
            if (tries == 200) throw std::runtime_error("radicale did not start");
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ::setenv("KORVALE_PASSWORD", kPassword, 1);
    }
    ~Server() {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    const std::string& url() const { return url_; }
    Sample multiget() const {
        return wallOf(
            runChild({"curl", "-sf", "-o", "/dev/null", "-u", std::string(kUser) + ':' + kPassword, "-X",
                      "REPORT", "-H", "Depth: 1", "-H", "Content-Type: application/xml; charset=utf-8",
                      "--data-binary", "@" + multiget_.string(), url_}));
    }
    static Sample wallOf(const Child& child) {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        return {static_cast<double>(now.tv_sec * 1000000000LL + now.tv_nsec - child.spawnedNs) * 1e-9,
                child.cpu};
    }

private:
    pid_t pid_ = 0;
    std::string url_;
    std::filesystem::path multiget_;
};

// One server for both parts, made by the first that runs.
Server& server(const Run& run) {
    static std::unique_ptr<Server> made;
    if (!made) made = std::make_unique<Server>(run.scratch / "radicale");
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
        [&](std::size_t, std::size_t) { return Server::wallOf(sync(run, emptyBook(dir))); },
        [&](std::size_t, std::size_t) { return radicale.multiget(); }, 1, 1);
    return out;
}

std::vector<Figure> idleSync(const Run& run) {
    const std::filesystem::path dir = emptyBook(run.scratch / "idle sync");
    sync(run, dir);
    std::vector<Figure> out;
    compare(
        out, "Sync with nothing to do, 10,000 contacts: korvale-db sync", Figure::Unit::Cpu, {kCards},
        run.reps(31),
        [&](std::size_t, std::size_t) {
            const Child child = sync(run, dir);
            if (child.out.find(" 1 request to the server") == std::string::npos)
                throw std::runtime_error("a sync with nothing to do sent more than one request: " +
                                         child.out);
            return Server::wallOf(child);
        },
        [](std::size_t, std::size_t) {
            return Sample{kIdleBudget, kIdleBudget};
        });
    return out;
}

}  // namespace bench
