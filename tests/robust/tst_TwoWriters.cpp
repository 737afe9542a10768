// Two copies of the application adding to one book at the same moment: each waits for the other's
// lock instead of losing a row.

#include <QTemporaryDir>
#include <QTest>
#include <set>

#include "tests/robust/BookContents.h"
#include "tests/robust/ChildProcess.h"
#include "tests/support/TestBook.h"

using korvale::robust::ChildProcess;

class tst_TwoWriters : public QObject {
    Q_OBJECT
private slots:
    void everyAddIsThere_data();
    void everyAddIsThere();
};

void tst_TwoWriters::everyAddIsThere_data() {
    QTest::addColumn<int>("each");
    QTest::addColumn<int>("rowsBefore");
    QTest::newRow("empty book") << 1000 << 0;
    QTest::newRow("book with rows") << 1000 << 300;
}

void tst_TwoWriters::everyAddIsThere() {
    QFETCH(int, each);
    QFETCH(int, rowsBefore);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto appDir = korvale::testbook::pathOf(dir);
    const auto book = korvale::testbook::createBook(appDir);
    std::vector<korvale::testbook::Row> before;
    for (int i = 0; i < rowsBefore; ++i)
        before.push_back(
            korvale::testbook::rowOf(korvale::testbook::sampleRecord("before " + std::to_string(i), "b")));
    korvale::testbook::insertRows(book, before);

    const std::string program = korvale::robust::writerProgram();
    ChildProcess first({program, "add", appDir.string(), "first", std::to_string(each)},
                       appDir / "first.err");
    ChildProcess second({program, "add", appDir.string(), "second", std::to_string(each)},
                        appDir / "second.err");
    int acks = 0;
    std::string line;
    for (ChildProcess* writer : {&first, &second}) {
        while (writer->readLine(line)) ++acks;
        QVERIFY2(writer->waitSucceeded(), writer->errorOutput().c_str());
    }
    QCOMPARE(acks, 2 * each);

    const auto contents = korvale::robust::readBook(book);
    QCOMPARE(contents.integrity, std::vector<std::string>{"ok"});
    std::multiset<std::string> names;
    for (const auto& row : contents.rows) names.insert(row[korvale::Column::Name]);
    QCOMPARE(contents.rows.size(), static_cast<std::size_t>(rowsBefore + 2 * each));
    for (const char* tag : {"first", "second"}) {
        for (int i = 0; i < each; ++i) {
            const std::string name = std::string(tag) + " " + std::to_string(i);
            QVERIFY2(names.count(name) == 1, name.c_str());
        }
    }
    qInfo("two writers: %d acknowledged adds, %zu rows in the book, none lost", acks, contents.rows.size());
}

QTEST_GUILESS_MAIN(tst_TwoWriters)
#include "tst_TwoWriters.moc"
