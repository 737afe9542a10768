// A writer process is killed with SIGKILL at random moments while it adds, changes and deletes rows
// through ClientStore. After every kill the book must be sound, hold every change the writer had been
// told was done, and hold nothing else but what the one call in flight may or may not have done.

#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <thread>

#include "tests/robust/BookContents.h"
#include "tests/robust/ChildProcess.h"
#include "tests/robust/ChurnRecord.h"
#include "tests/support/TestBook.h"

using korvale::robust::ChildProcess;

namespace {

struct Call {
    char op = 0;  // 'A'dd, 'C'hange, 'D'elete
    std::int64_t version = 0;
    std::string name;
};

// Name -> version of the record the book must hold under it.
using Expected = std::map<std::string, std::int64_t>;

std::optional<Call> parseBegin(const std::string& line) {
    std::istringstream in(line);
    std::string tag;
    Call call;
    if (!(in >> tag >> call.op >> call.version) || tag != "B") return std::nullopt;
    in.get();
    std::getline(in, call.name);
    return call;
}

QString text(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// Compares the book with what was acknowledged. The call in flight may have happened or not; the
// model takes whichever the book shows. Returns what is wrong, empty when nothing is.
QString checkBook(const std::filesystem::path& book, Expected& expected,
                  const std::optional<Call>& inFlight) {
    const auto contents = korvale::robust::readBook(book);
    if (contents.integrity != std::vector<std::string>{"ok"}) {
        QStringList messages;
        for (const auto& m : contents.integrity) messages << text(m);
        return QStringLiteral("integrity_check: ") + messages.join(QLatin1String("; "));
    }
    std::map<std::string, const korvale::ClientRecord*> stored;
    for (const auto& row : contents.rows) {
        const std::string& name = row[korvale::Column::Name];
        if (!stored.emplace(name, &row).second)
            return QStringLiteral("the name \"%1\" is stored twice").arg(text(name));
    }
    auto matches = [&](const std::string& name, std::int64_t version) {
        const auto at = stored.find(name);
        return at != stored.end() && *at->second == korvale::robust::churnRecord(name, version);
    };
    if (inFlight) {
        const std::string& name = inFlight->name;
        const bool present = stored.count(name) != 0;
        const auto before = expected.find(name);
        if (before == expected.end() && inFlight->op != 'A')
            return QStringLiteral("the writer changed \"%1\", which it had never been told about")
                .arg(text(name));
        if (inFlight->op == 'A' || inFlight->op == 'C') {
            if (matches(name, inFlight->version)) {
                expected[name] = inFlight->version;
            } else if (inFlight->op == 'A' && present) {
                return QStringLiteral("the unacknowledged add of \"%1\" left a damaged row").arg(text(name));
            }
        } else if (!present) {
            expected.erase(name);
        }
    }
    for (const auto& [name, version] : expected) {
        if (!stored.count(name)) return QStringLiteral("acknowledged row \"%1\" is gone").arg(text(name));
        if (!matches(name, version))
            return QStringLiteral("row \"%1\" does not hold its acknowledged version %2")
                .arg(text(name))
                .arg(version);
    }
    for (const auto& [name, row] : stored) {
        if (!expected.count(name))
            return QStringLiteral(
                       "row \"%1\" is there although its delete was acknowledged or it was never added")
                .arg(text(name));
    }
    return {};
}

}  // namespace

class tst_CrashKill : public QObject {
    Q_OBJECT
private slots:
    void killedWriterLosesNothing_data();
    void killedWriterLosesNothing();
    void cleanupTestCase();

private:
    int totalKills_ = 0;
    int totalVerified_ = 0;
};

void tst_CrashKill::killedWriterLosesNothing_data() {
    QTest::addColumn<int>("kills");
    QTest::addColumn<int>("startupKillEvery");
    QTest::addColumn<int>("maxDelayMicros");
    // Waiting for one to six acknowledgements first lands the kill inside or between later calls.
    QTest::newRow("inside and between writes") << 200 << 0 << 4000;
    // Every second writer awaits no acknowledgement: the kill lands while it opens the book, recovers
    // the log the previous one left, or walks the rows.
    QTest::newRow("also while the book is opened and recovered") << 80 << 2 << 6000;
}

void tst_CrashKill::killedWriterLosesNothing() {
    QFETCH(int, kills);
    QFETCH(int, startupKillEvery);
    QFETCH(int, maxDelayMicros);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto appDir = korvale::testbook::pathOf(dir);
    const auto book = korvale::testbook::createBook(appDir);

    const unsigned seed = qEnvironmentVariableIsSet("KORVALE_CRASH_SEED")
                              ? qEnvironmentVariableIntValue("KORVALE_CRASH_SEED")
                              : std::random_device{}();
    qInfo("seed %u (set KORVALE_CRASH_SEED to repeat)", seed);
    std::mt19937 random(seed);

    Expected expected;
    int verified = 0;
    for (int run = 1; run <= kills; ++run) {
        ChildProcess writer({korvale::robust::writerProgram(), "churn", appDir.string(), std::to_string(run),
                             std::to_string(random())},
                            appDir / "writer.err");
        const bool atStartup = startupKillEvery > 0 && run % startupKillEvery == 0;
        const int acksWanted = atStartup ? 0 : 1 + static_cast<int>(random() % 6);
        const auto delay = std::chrono::microseconds(random() % static_cast<unsigned>(maxDelayMicros + 1));

        std::vector<std::string> lines;
        std::string line;
        int acks = 0;
        bool closed = false;
        while (acks < acksWanted) {
            if (!writer.readLine(line)) {
                closed = true;
                break;
            }
            lines.push_back(line);
            if (line == "K") ++acks;
        }
        QVERIFY2(!closed, qPrintable(QStringLiteral("run %1: the writer stopped by itself: %2")
                                         .arg(run)
                                         .arg(QString::fromStdString(writer.errorOutput()))));
        std::this_thread::sleep_for(delay);
        writer.kill();
        while (writer.readLine(line)) lines.push_back(line);
        QVERIFY2(writer.waitKilled(),
                 qPrintable(QStringLiteral("run %1: the writer ended before the kill: %2")
                                .arg(run)
                                .arg(QString::fromStdString(writer.errorOutput()))));

        std::optional<Call> pending;
        int acknowledged = 0;
        for (const auto& l : lines) {
            if (l == "K") {
                QVERIFY2(pending, "an acknowledgement without a call");
                if (pending->op == 'D')
                    expected.erase(pending->name);
                else
                    expected[pending->name] = pending->version;
                pending.reset();
                ++acknowledged;
            } else {
                pending = parseBegin(l);
                QVERIFY2(pending, l.c_str());
            }
        }
        const QString wrong = checkBook(book, expected, pending);
        QVERIFY2(wrong.isEmpty(),
                 qPrintable(QStringLiteral("after kill %1 (seed %2): %3").arg(run).arg(seed).arg(wrong)));
        verified += acknowledged;
    }
    totalKills_ += kills;
    totalVerified_ += verified;
    qInfo("%d kills, %d acknowledged writes verified, %zu rows in the book", kills, verified,
          expected.size());
}

void tst_CrashKill::cleanupTestCase() {
    qInfo("crash test: %d kills, %d acknowledged writes verified", totalKills_, totalVerified_);
}

QTEST_GUILESS_MAIN(tst_CrashKill)
#include "tst_CrashKill.moc"
