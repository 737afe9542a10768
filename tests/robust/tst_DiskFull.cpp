// The disk runs full under the book while a screen writes. The book lies on a small tmpfs of its own,
// mounted in a mount namespace private to this test, and a filler file takes the last free byte: the
// engine then gets ENOSPC from the kernel, as on a real full disk.

#include <QTest>

#include "tests/robust/BookContents.h"
#include "store/BookSchema.h"
#include "tests/robust/FaultTools.h"
#include "tests/support/TestBook.h"
#include "tests/robust/WriteFaults.h"

using namespace korvale::robust;

class tst_DiskFull : public QObject {
    Q_OBJECT
private slots:
    void diskFullDuringTheWrite_data();
    void diskFullDuringTheWrite();
};

void tst_DiskFull::diskFullDuringTheWrite_data() {
    QTest::addColumn<Write>("write");
    QTest::addColumn<int>("remarksLength");  // 0: the remarks prepareWrite types
    QTest::addColumn<int>("leftFree");
    QTest::newRow("SUBMIT on the addition screen, no byte free") << Write::Add << 0 << 0;
    QTest::newRow("UPDATE on the updation screen, no byte free") << Write::Update << 0 << 0;
    QTest::newRow("REMOVE on the deletion screen, no byte free") << Write::Delete << 0 << 0;
    // Small writes would still fit; a record with a megabyte of pasted remarks does not.
    QTest::newRow("SUBMIT of a megabyte of remarks, 256 KiB free") << Write::Add << (1 << 20) << (256 << 10);
}

void tst_DiskFull::diskFullDuringTheWrite() {
    QFETCH(Write, write);
    QFETCH(int, remarksLength);
    QFETCH(int, leftFree);
    BoxAnswers boxes;
    AppUnderTest app(AppUnderTest::Book::Missing);
    SmallDisk disk(app.dir(), 4 << 20);
    if (!disk.ok()) QSKIP(qPrintable(QStringLiteral("no small disk to fill: ") + disk.reason()));
    korvale::createBook(app.bookPath());
    std::vector<korvale::testbook::Row> rows;
    for (const auto& r : startingRows()) rows.push_back(korvale::testbook::rowOf(r));
    korvale::testbook::insertRows(app.bookPath(), rows);

    Screen* screen = prepareWrite(app, write);
    QVERIFY(screen);
    const std::string remarks(static_cast<std::size_t>(remarksLength), 'r');
    if (remarksLength > 0) {
        eraseField(screen, "Text8");
        pasteInto(screen, "Text8", QString::fromStdString(remarks));
    }
    const auto typed = fieldTexts(screen);
    const auto before = readBook(app.bookPath()).rows;

    QVERIFY(disk.fill(static_cast<std::size_t>(leftFree)));
    QCOMPARE(disk.freeBytes(), static_cast<std::size_t>(leftFree));
    boxes.clear();
    pressWrite(screen, write, boxes, false);
    const BoxRequest* report = reportNaming(boxes, app.bookPath());
    QVERIFY2(report, qPrintable(boxes.texts().join(QLatin1String(" / "))));
    QVERIFY2(report->text.contains(QLatin1String("disk is full")), qPrintable(report->text));
    QVERIFY(!shown(boxes, doneMessage(write)));
    QVERIFY2(boxes.problems().isEmpty(), qPrintable(boxes.problems().join(QLatin1String(" / "))));
    QCOMPARE(fieldTexts(screen), typed);

    disk.release();
    auto now = readBook(app.bookPath());
    QCOMPARE(now.integrity, std::vector<std::string>{"ok"});
    QCOMPARE(describe(now.rows), describe(before));

    // Space again: the same press, on the same screen, goes through.
    boxes.clear();
    pressWrite(screen, write, boxes, true);
    QVERIFY2(shown(boxes, doneMessage(write)), qPrintable(boxes.texts().join(QLatin1String(" / "))));
    QVERIFY2(boxes.problems().isEmpty(), qPrintable(boxes.problems().join(QLatin1String(" / "))));
    now = readBook(app.bookPath());
    QCOMPARE(now.integrity, std::vector<std::string>{"ok"});
    auto expected = rowsAfter(write, before);
    if (remarksLength > 0) expected.back()[korvale::Column::remarks] = remarks;
    QCOMPARE(describe(now.rows), describe(expected));
}

QTEST_MAIN(tst_DiskFull)
#include "tst_DiskFull.moc"
