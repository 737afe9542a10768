// korvale-db run as the operator runs it: a separate process, its exit status, what it says, and the
// book it leaves.

#include <QProcess>
#include <QTest>
#include <sys/stat.h>

#include "store/ClientStore.h"
#include "tests/kit/TempBook.h"

class tst_KorvaleDb : public QObject {
    Q_OBJECT
private slots:
    void init_data();
    void init();
};

void tst_KorvaleDb::init_data() {
    QTest::addColumn<QString>("place");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("says");
    QTest::newRow("a new book") << "" << QStringList{"init", "DIR"} << 0 << "Created the book DIR/KORVALE.mdb";
    QTest::newRow("never over a book") << "book" << QStringList{"init", "DIR"} << 1 << "already exists";
    QTest::newRow("no such directory") << "" << QStringList{"init", "DIR/none"} << 1 << "does not exist";
    QTest::newRow("not a directory") << "book" << QStringList{"init", "DIR/KORVALE.mdb"} << 1 << "is not a directory";
    QTest::newRow("two directories") << "" << QStringList{"init", "DIR", "DIR"} << 2 << "init takes at most one directory";
    QTest::newRow("an unknown command") << "" << QStringList{"create", "DIR"} << 2 << "unknown command create";
}

void tst_KorvaleDb::init() {
    QFETCH(QString, place);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, says);
    kit::TempBook book(place == "book" ? kit::TempBook::Start::WithBook : kit::TempBook::Start::Empty);
    if (place == "book") book.add({kit::row("kept", "k")});
    const QString dir = QString::fromStdString(book.dir());
    arguments.replaceInStrings("DIR", dir);
    QProcess tool;
    tool.start(KORVALE_DB_PATH, arguments);
    QVERIFY(tool.waitForFinished());
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tool.exitCode(), status);
    const QString output = QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError());
    QVERIFY2(output.contains(QString(says).replace("DIR", dir)), qPrintable(output));
    if (place == "book") QCOMPARE(book.rows(), QStringList{kit::row("kept", "k")});
    if (status != 0) return;
    struct stat st {};
    QVERIFY(::stat(book.file().c_str(), &st) == 0);
    QCOMPARE(st.st_mode & 07777, 0600u);
    QCOMPARE(book.rows(), QStringList());
    korvale::ClientStore store;
    store.open(book.dir(), korvale::RecordSource::wholeTable());
    QVERIFY(store.rows().Eof());
}

QTEST_APPLESS_MAIN(tst_KorvaleDb)
#include "tst_KorvaleDb.moc"
