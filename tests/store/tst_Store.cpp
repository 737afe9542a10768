// The store on real books in temporary folders: books it must refuse, look-ups by any name, values
// other programs wrote, a book replaced or deleted under it, and a writer killed at any moment.

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QMap>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <csignal>

#include "store/BookHandle.h"
#include "store/BookSchema.h"
#include "store/ClientStore.h"
#include "store/RowWalk.h"
#include "store/StoreError.h"
#include "store/SyncState.h"
#include "tests/kit/TempBook.h"

using korvale::ClientRecord;
using korvale::ClientStore;
using korvale::Column;
using korvale::RecordSource;

namespace {

// The StoreError the action throws, or "" when it succeeds.
template <class Action>
QString failureOf(Action&& action) {
    try {
        action();
    } catch (const korvale::StoreError& e) {
        return QString::fromUtf8(e.what());
    }
    return QString();
}

QString openFailure(const kit::TempBook& book) {
    ClientStore store;
    return failureOf([&] { store.open(book.dir(), RecordSource::wholeTable()); });
}

ClientRecord named(const std::string& name) {
    ClientRecord r;
    r[Column::Name] = name;
    return r;
}

// The name of the writer's i-th contact.
std::string tag(int i) {
    std::string name = "n";
    return name += std::to_string(i);
}

// Each contact's UID as the export's walk hands it, by Name.
QMap<QString, QString> uidsOf(const kit::TempBook& book) {
    korvale::BookHandle handle = korvale::BookHandle::open(book.dir(), korvale::BookHandle::Access::ReadOnly);
    korvale::RowWalk walk(handle);
    QMap<QString, QString> uids;
    const auto text = [](std::string_view view) {
        return QString::fromUtf8(view.data(), qsizetype(view.size()));
    };
    while (walk.next()) uids.insert(text(walk.row()[0]), text(walk.uid()));
    return uids;
}

std::int64_t rowidOf(const kit::TempBook& book, const std::string& name) {
    SQLite::Database db(book.file(), SQLite::OPEN_READONLY);
    SQLite::Statement query(db, "SELECT rowid FROM CLIENT_RECORDS WHERE Name = ?1");
    query.bind(1, name);
    return query.executeStep() ? query.getColumn(0).getInt64() : -1;
}

// Root writes through any mode bits: while it lives, a root test hands the book's folder to an ordinary
// user and acts as that user.
class AsOrdinaryUser {
public:
    explicit AsOrdinaryUser(const kit::TempBook& book) {
        if (::geteuid() != 0) return;
        constexpr uid_t kNobody = 65534;
        active_ = ::chown(book.dir().c_str(), kNobody, kNobody) == 0 &&
                  ::chown(book.file().c_str(), kNobody, kNobody) == 0 && ::seteuid(kNobody) == 0;
    }
    ~AsOrdinaryUser() {
        if (active_) (void)::seteuid(0);
    }

private:
    bool active_ = false;
};

}  // namespace

class tst_Store : public QObject {
    Q_OBJECT
private slots:
    // First, before any book is opened: a book that cannot be made must not end the process either.
    void creationRefused_data() {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("cause");
        QTest::newRow("failing half-way") << QString("limit") << QString("File too large");
        QTest::newRow("in a missing folder") << QString("missing") << QString("the directory");
        QTest::newRow("over a file") << QString("file") << QString("already exists; it was left untouched");
    }

    // A book that cannot be made is not made at all, and nothing there before is touched.
    void creationRefused() {
        QFETCH(QString, where);
        QFETCH(QString, cause);
        kit::TempBook book(where == "file" ? kit::TempBook::Start::WithBook : kit::TempBook::Start::Empty);
        if (where == "file") book.add({kit::row("bob", "b")});
        const std::filesystem::path file =
            where == "missing" ? book.dir() / "none" / "KORVALE.mdb" : book.file();
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit tiny{512, saved.rlim_max};
        if (where == "limit") ::setrlimit(RLIMIT_FSIZE, &tiny);
        const QString failure = failureOf([&] { korvale::createBook(file); });
        ::setrlimit(RLIMIT_FSIZE, &saved);
        QVERIFY2(failure.startsWith("Cannot create the book " + QString::fromStdString(file)) &&
                     failure.contains(cause),
                 qPrintable(failure));
        QCOMPARE(std::filesystem::is_empty(book.dir()), where != "file");
        if (where == "file") QCOMPARE(book.rows(), QStringList{kit::row("bob", "b")});
    }

    void refusedBooks_data() {
        QTest::addColumn<QString>("make");
        QTest::addColumn<QString>("cause");
        const auto row = [](const char* name, const QString& make, const char* cause) {
            QTest::newRow(name) << make << QString(cause);
        };
        const QString columns =
            "CREATE TABLE CLIENT_RECORDS (name VARCHAR(20), address CLOB, email_id NCHAR(9), "
            "dob TEXT, H_PHONE TEXT, W_PHONE TEXT, cell_no TEXT, remarks TEXT, CATEGORY TEXT)";
        row("a directory", "mkdir", "it is a directory, not a file");
        row("a FIFO", "mkfifo", "it is not a regular file");
        row("a text file", "text", "is not a book: file is not a database");
        row("no table", "CREATE TABLE CLIENTS (Name TEXT)", "has no table CLIENT_RECORDS");
        row("a column missing", QString(columns).remove(", remarks TEXT"), "has no column remarks");
        row("an integer telephone", QString(columns).replace("H_PHONE TEXT", "H_PHONE INTEGER"),
            "the column H_PHONE of CLIENT_RECORDS is declared INTEGER, not TEXT");
        row("a date column", QString(columns).replace("dob TEXT", "DOB DATE"),
            "the column dob of CLIENT_RECORDS is declared DATE, not TEXT");
        row("texts by other names", columns, "");
        row("a damaged book", "damaged", "is damaged: database disk image is malformed");
        // Refused before the engine creates anything; made writable again, they open and keep a save.
        row("a read-only book", "0400 book", "the file is read-only to this program");
        row("a read-only folder", "0500 folder", "its directory");
        row("journal files left read-only", "0400 journal", "its journal file");
    }

    void refusedBooks() {
        QFETCH(QString, make);
        QFETCH(QString, cause);
        const bool unwritable = make.startsWith('0');
        kit::TempBook book(unwritable ? kit::TempBook::Start::WithBook : kit::TempBook::Start::Empty);
        const AsOrdinaryUser user(book);
        const std::string path = book.file().string();
        const auto chmodAll = [&](mode_t folder, mode_t file, mode_t journal) {
            for (const char* side : {"-wal", "-shm"}) (void)::chmod((path + side).c_str(), journal);
            return ::chmod(path.c_str(), file) == 0 && ::chmod(book.dir().c_str(), folder) == 0;
        };
        if (make == "mkdir") QVERIFY(::mkdir(path.c_str(), 0700) == 0);
        if (make == "mkfifo") QVERIFY(::mkfifo(path.c_str(), 0600) == 0);
        for (const char* side : {"", "-wal", "-shm"}) {
            QFile file(QString::fromStdString(path + side));
            if (make == "text" || (make.endsWith("journal") && *side))
                QVERIFY(file.open(QIODevice::WriteOnly));
            if (make == "text") file.write(QByteArray(2000, 'x'));
        }
        if (make.startsWith("CREATE")) book.exec(qPrintable(make));
        if (make == "damaged") {
            // A book whose first page no longer holds a table: what a torn or overwritten file looks like.
            korvale::createBook(book.file());
            QFile file(QString::fromStdString(path));
            QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(100) && file.write("\xff", 1) == 1);
        }
        if (unwritable)
            QVERIFY(
                chmodAll(make.endsWith("folder") ? 0500 : 0700, make.endsWith("book") ? 0400 : 0600, 0400));
        const QString failure = openFailure(book);
        QVERIFY2(cause.isEmpty() ? failure.isEmpty() : failure.contains(cause), qPrintable(failure));
        if (cause.isEmpty()) return;
        QVERIFY2(failure.contains(QString::fromStdString(path)), qPrintable(failure));
        // A refused book gets no journal files from the engine.
        QCOMPARE(std::filesystem::exists(path + "-wal") || std::filesystem::exists(path + "-shm"),
                 make.endsWith("journal"));
        if (!unwritable) return;
        QVERIFY(chmodAll(0700, 0600, 0600));
        ClientStore store;
        store.open(book.dir(), RecordSource::wholeTable());
        store.addRow(named("kept"));
        QCOMPARE(book.rows().size(), 1);
    }

    // Names are bound, never built into the query: quotes, wildcards and letter case are plain characters,
    // and the first stored row of the exact name is the one found.
    void lookUpFindsExactlyItsName() {
        const QStringList names{"o'neil", "a%",       "a_",    "a\\b",   "",        "x' OR '1'='1",
                                "ÅSA",    "two  gap", " lead", "trail ", "tab\tin", "ab"};
        const QStringList decoys{"oneil", "abc",     "a-",   "a\\\\b", " ",      "x",
                                 "åsa",   "two gap", "lead", "trail",  "tab in", "AB"};
        kit::TempBook book;
        for (qsizetype i = 0; i < names.size(); ++i)
            book.add({decoys[i] + "|decoy|||||||", names[i] + "|first|||||||", names[i] + "|second|||||||"});
        ClientStore store;
        store.open(book.dir(), RecordSource::wholeTable());
        for (const QString& name : names) {
            store.lookUp(name.toStdString());
            QCOMPARE(QString::fromStdString(store.rows().Field("address")), QStringLiteral("first"));
            QCOMPARE(store.rows().RecordCount(), qint64(1));
        }
    }

    void uidStaysWithItsContact_data() {
        QTest::addColumn<QString>("event");
        QTest::newRow("bob changed on a screen") << "change";
        QTest::newRow("bob deleted, cy given his rowid") << "reuse";
        QTest::newRow("book made before UIDs, upgraded") << "upgrade";
        QTest::newRow("bob synced: the server's UID") << "sync";
    }

    void uidStaysWithItsContact() {
        QFETCH(QString, event);
        kit::TempBook book(event == "upgrade" ? kit::TempBook::Start::Old : kit::TempBook::Start::WithBook);
        book.add({kit::row("ann", "a"), kit::row("bob", "b")});
        QMap<QString, QString> before = uidsOf(book);
        const std::int64_t bobRow = rowidOf(book, "bob");
        ClientStore store;
        store.open(book.dir(), RecordSource::wholeTable());
        store.lookUp("bob");
        if (event == "upgrade") {
            QCOMPARE(before.values(), QStringList({"", ""}));
            korvale::BookHandle::open(book.dir(), korvale::BookHandle::Access::ReadWrite).upgrade();
            before = uidsOf(book);
        } else if (event == "change") {
            store.changeCurrentRow(named("bob"));
        } else if (event == "reuse") {
            store.rows().Delete();
            store.addRow(named("cy"));
            QCOMPARE(rowidOf(book, "cy"), bobRow);
        } else {
            book.exec(
                "INSERT INTO SYNC_CARDS (href, row_id, etag, digest, uid) VALUES ('/c/b.vcf', "
                "(SELECT rowid FROM CLIENT_RECORDS WHERE Name = 'bob'), '\"1\"', '', 'uid-on-the-server')");
        }

        const QMap<QString, QString> after = uidsOf(book);
        QCOMPARE(uidsOf(book), after);
        const QRegularExpression uuid(
            "^[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}$");
        for (const QString& uid : before) QVERIFY2(uuid.match(uid).hasMatch(), qPrintable(uid));
        QVERIFY(before["ann"] != before["bob"]);
        QCOMPARE(after["ann"], before["ann"]);
        if (event == "reuse") {
            QVERIFY(uuid.match(after["cy"]).hasMatch());
            QVERIFY(after["cy"] != before["bob"]);
        } else {
            QCOMPARE(after["bob"], event == "sync" ? QString("uid-on-the-server") : before["bob"]);
        }
    }

    // The sync's reads and writes fail as the book's own failures, naming the book and the engine's
    // reason, whatever another program did to its tables.
    void syncStateFailsAsTheBook_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("cause");
        const auto row = [](const char* name, const char* sql, const char* step, const char* cause) {
            QTest::newRow(name) << QString(sql) << QString(step) << QString(cause);
        };
        row("cards table dropped", "DROP TABLE SYNC_CARDS", "load", "no such table");
        row("row refused by a trigger",
            "CREATE TRIGGER no BEFORE INSERT ON CLIENT_RECORDS BEGIN SELECT RAISE(ABORT, 'no rows'); END",
            "insert", "no rows");
        row("card refused by a trigger",
            "CREATE TRIGGER no BEFORE INSERT ON SYNC_CARDS BEGIN SELECT RAISE(ABORT, 'no cards'); END",
            "card", "no cards");
    }

    void syncStateFailsAsTheBook() {
        QFETCH(QString, sql);
        QFETCH(QString, step);
        QFETCH(QString, cause);
        kit::TempBook book;
        korvale::BookHandle handle =
            korvale::BookHandle::open(book.dir(), korvale::BookHandle::Access::ReadWrite);
        korvale::SyncState state(handle, [](const auto&) { return std::string("d"); });
        book.exec(qPrintable(sql));
        const QString failure = failureOf([&] {
            korvale::BookHandle::Writing writing = state.begin();
            if (step == "load") state.load();
            if (step == "insert") state.insertRow(named("new"));
            if (step == "card") state.keepCard("/c.vcf", {std::nullopt, std::nullopt, "d", "u", {}});
            writing.commit();
        });
        QVERIFY2(failure.contains(cause) && failure.contains(QString::fromStdString(book.file().string())),
                 qPrintable(failure));
    }

    void bookReplacedOrDeletedWhileOpen() {
        kit::TempBook book(QStringList{kit::row("old", "o")});
        ClientStore first;
        first.open(book.dir(), RecordSource::wholeTable());
        // Another book put in its place: the next store reads the new one.
        kit::TempBook other(QStringList{kit::row("new", "n")});
        QVERIFY(std::rename(other.file().c_str(), book.file().c_str()) == 0);
        ClientStore second;
        second.open(book.dir(), RecordSource::wholeTable());
        QCOMPARE(second.rows().Field("Name"), std::string("new"));
        // The book deleted while a store holds it: nothing is written anywhere, and that is said.
        QVERIFY(std::filesystem::remove(book.file()));
        const QString failure = failureOf([&] { second.addRow(named("lost")); });
        QVERIFY2(failure.contains("was deleted or moved while it was open: nothing was written"),
                 qPrintable(failure));
    }

    // A second program adds and deletes through the store and says each time a call has returned; it is
    // killed at a random moment, over and over. Every acknowledged change must be in the book afterwards,
    // and every round must have killed a writer that was at work.
    void killedWriterLosesNothingAcknowledged() {
        const QString drawn = QString::number(QRandomGenerator::global()->generate());
        const quint32 seed = qEnvironmentVariable("KORVALE_KILL_SEED", drawn).toUInt();
        qInfo("KORVALE_KILL_SEED=%u", seed);
        QRandomGenerator random(seed);
        kit::TempBook book;
        constexpr int kReady = -1000;  // sent once the book is open, before the first op
        int acknowledged = -1;
        for (int kill = 0; kill < 200; ++kill) {
            int pipeEnds[2];
            QVERIFY(::pipe(pipeEnds) == 0);
            const pid_t child = ::fork();
            if (child == 0) {
                ::close(pipeEnds[0]);
                try {
                    ClientStore store;
                    store.open(book.dir(), RecordSource::wholeTable());
                    if (::write(pipeEnds[1], &kReady, sizeof kReady) != sizeof kReady) ::_exit(1);
                    // Op i adds "n<i>" unless it is there, and deletes "n<i-10>"; done twice it does no harm.
                    for (int i = acknowledged + 1;; ++i) {
                        store.lookUp(tag(i));
                        if (store.rows().Eof()) store.addRow(named(tag(i)));
                        store.lookUp(tag(i - 10));
                        if (!store.rows().Eof()) store.rows().Delete();
                        if (::write(pipeEnds[1], &i, sizeof i) != sizeof i) ::_exit(1);
                    }
                } catch (...) {
                    ::_exit(2);
                }
            }
            ::close(pipeEnds[1]);
            int ready = 0;
            const bool started = ::read(pipeEnds[0], &ready, sizeof ready) == sizeof ready && ready == kReady;
            // Once the writer is going, it dies at any moment of its next few writes.
            if (started) ::usleep(random.bounded(8000u));
            ::kill(child, SIGKILL);
            int status = 0;
            QCOMPARE(::waitpid(child, &status, 0), child);
            for (int i; ::read(pipeEnds[0], &i, sizeof i) == sizeof i;) acknowledged = i;
            ::close(pipeEnds[0]);
            // The writer had opened the book and was at work when the kill came.
            QVERIFY2(started && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL,
                     qPrintable(
                         QStringLiteral("round %1: the writer was not at work (%2)").arg(kill).arg(status)));
            SQLite::Database db(book.file(), SQLite::OPEN_READONLY);
            QCOMPARE(db.execAndGet("PRAGMA integrity_check").getString(), std::string("ok"));
            QSet<QString> names;
            for (const QString& row : book.rows()) names.insert(row.section('|', 0, 0));
            for (int j = std::max(0, acknowledged - 30); j <= acknowledged; ++j) {
                const bool present = names.contains(QStringLiteral("n%1").arg(j));
                // Deleted by an acknowledged op, or by the op in flight (either way), or still there.
                if (j + 10 <= acknowledged)
                    QVERIFY2(!present, qPrintable(QStringLiteral("n%1 came back").arg(j)));
                if (j + 10 > acknowledged + 1)
                    QVERIFY2(present, qPrintable(QStringLiteral("n%1 was lost").arg(j)));
            }
        }
        QVERIFY2(acknowledged > 20, "the writer never got going");
    }
};

QTEST_APPLESS_MAIN(tst_Store)
#include "tst_Store.moc"
