// History, restore, upgrade and forget through korvale-db, on books changed the way the screens change
// them: through the store's own look-up, change and delete, the calls the record screens make.

#include <sys/stat.h>

#include <optional>

#include <QRegularExpression>
#include <QTest>

#include <SQLiteCpp/Database.h>

#include "store/ClientStore.h"
#include "store/RecordSource.h"
#include "tests/kit/TempBook.h"
#include "tests/tool/ToolProcess.h"

using toolrun::korvaleDb;

namespace {

korvale::ClientRecord recordOf(const QString& row) {
    korvale::ClientRecord record;
    const QStringList columns = row.split(QLatin1Char('|'));
    for (qsizetype i = 0; i < columns.size(); ++i) record.values[static_cast<std::size_t>(i)] = columns[i].toStdString();
    return record;
}

QString dirOf(const kit::TempBook& book) {
    return QString::fromStdString(book.dir().string());
}

// The last number that follows `before` in the tool's output.
QString numberAfter(const QString& text, const QString& before) {
    const auto matches = QRegularExpression(before + QStringLiteral(" ([0-9]+)")).globalMatch(text);
    QString last;
    for (auto it = matches; it.hasNext();) last = it.next().captured(1);
    return last;
}

}  // namespace

class HistoryTest : public QObject {
    Q_OBJECT

private slots:
    void restoreBringsBackWhatTheScreensChanged_data();
    void restoreBringsBackWhatTheScreensChanged();
    void upgradeAddsTheHistoryToAnOlderBook_data();
    void upgradeAddsTheHistoryToAnOlderBook();
    void forgetLeavesNoTrace();
};

void HistoryTest::restoreBringsBackWhatTheScreensChanged_data() {
    QTest::addColumn<bool>("remove");
    QTest::newRow("bob overwritten with alice's details by UPDATE") << false;
    QTest::newRow("bob deleted by REMOVE") << true;
}

void HistoryTest::restoreBringsBackWhatTheScreensChanged() {
    QFETCH(bool, remove);
    const kit::TempBook book;
    book.add({kit::row("alice", "a"), kit::row("bob", "b")});
    const QStringList before = book.rows();
    korvale::ClientStore store;
    store.open(book.dir(), korvale::RecordSource::wholeTable());
    store.lookUp("bob");
    if (remove) {
        store.rows().Delete();
    } else {
        store.changeCurrentRow(recordOf(kit::row("alice", "a")));
    }
    const QStringList changed = book.rows();

    const toolrun::Run history = korvaleDb({"history", dirOf(book), "bob"});
    QVERIFY2(history.out.contains(remove ? "deleted" : "changed") && history.out.contains("address: b st"),
             qPrintable(history.out + history.err));
    const toolrun::Run restore = korvaleDb({"restore", dirOf(book), numberAfter(history.out, "version")});
    QVERIFY2(restore.exitCode == 0, qPrintable(restore.err));
    QCOMPARE(book.rows(), before);

    // The restore is undone by restoring what it replaced; a contact that came back is a new row.
    const QString replaced = numberAfter(restore.out, "restore " + dirOf(book));
    QCOMPARE(replaced.isEmpty(), remove);
    if (!remove) {
        QCOMPARE(korvaleDb({"restore", dirOf(book), replaced}).exitCode, 0);
        QCOMPARE(book.rows(), changed);
    }
}

void HistoryTest::upgradeAddsTheHistoryToAnOlderBook_data() {
    QTest::addColumn<bool>("older");
    QTest::addColumn<bool>("busy");
    QTest::addColumn<QString>("said");
    QTest::newRow("book made before the history") << true << false << "now keeps history";
    QTest::newRow("busy book") << true << true << "is busy";
    QTest::newRow("book that has it") << false << false << "already keeps history";
}

void HistoryTest::upgradeAddsTheHistoryToAnOlderBook() {
    QFETCH(bool, older);
    QFETCH(bool, busy);
    QFETCH(QString, said);
    const kit::TempBook book(older ? kit::TempBook::Start::Empty : kit::TempBook::Start::WithBook);
    if (older) {
        book.exec("PRAGMA journal_mode = WAL; CREATE TABLE CLIENT_RECORDS (Name TEXT, address TEXT, email_id TEXT, "
                  "dob TEXT, H_PHONE TEXT, W_PHONE TEXT, cell_no TEXT, remarks TEXT, CATEGORY TEXT)");
    }
    book.add({kit::row("ann", "a")});
    std::optional<SQLite::Database> otherWriter;
    if (busy) {
        otherWriter.emplace(book.file(), SQLite::OPEN_READWRITE);
        otherWriter->exec("BEGIN IMMEDIATE");
    }

    const toolrun::Run run = korvaleDb({"upgrade", dirOf(book)});
    otherWriter.reset();

    QCOMPARE(run.exitCode == 0, !busy);
    QVERIFY2((run.out + run.err).contains(said), qPrintable(run.out + run.err));
    korvale::ClientStore store;
    store.open(book.dir(), korvale::RecordSource::wholeTable());
    store.rows().Delete();
    QCOMPARE(korvaleDb({"history", dirOf(book), "ann"}).out.contains("address: a st"), !busy);
}

void HistoryTest::forgetLeavesNoTrace() {
    const kit::TempBook book;
    book.add({kit::row("ann", "a"), kit::row("zebulon", "qzq1"), kit::row("bob", "b"), kit::row("zebulon", "qzq2")});
    // The application stays open on the book throughout, as it may while the tool runs.
    korvale::ClientStore store;
    store.open(book.dir(), korvale::RecordSource::wholeTable());
    store.lookUp("zebulon");
    store.changeCurrentRow(recordOf(kit::row("zebulon", "qzq3")));
    store.rows().Delete();
    store.lookUp("bob");
    store.changeCurrentRow(recordOf(kit::row("zebulon", "qzq4")));

    const toolrun::Run run = korvaleDb({"forget", dirOf(book), "zebulon"});

    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QCOMPARE(book.rows(), QStringList{kit::row("ann", "a")});
    for (const char* suffix : {"", "-wal"}) {
        const QByteArray bytes = toolrun::bytesOf(QString::fromStdString(book.file().string()) + suffix);
        QVERIFY2(!bytes.contains("zebulon") && !bytes.contains("qzq"), suffix);
    }
    struct stat info {};
    QCOMPARE(::stat(book.file().c_str(), &info) == 0 ? info.st_mode & 0777 : 0, 0600u);
    // Bob's own details, kept when his row was overwritten, are his, not zebulon's.
    QVERIFY(korvaleDb({"history", dirOf(book), "bob"}).out.contains("address: b st"));
    store.lookUp("ann");
    QCOMPARE(store.rows().Field("address"), "a st");
}

QTEST_GUILESS_MAIN(HistoryTest)
#include "HistoryTest.moc"
