// Another program holds the book's write lock for longer than the screens wait for it.

#include <QTest>

#include "tests/robust/BookContents.h"
#include "tests/robust/ChildProcess.h"
#include "store/DbEngine.h"
#include "tests/support/TestBook.h"
#include "tests/robust/WriteFaults.h"

using namespace korvale::robust;
using korvale::testbook::rowOf;

class tst_BusyBook : public QObject {
    Q_OBJECT
private slots:
    void init() { korvale::DbEngine::instance().setBusyTimeout(std::chrono::milliseconds(200)); }
    void writeWhileAnotherProgramWrites_data() { addWriteRows(); }
    void writeWhileAnotherProgramWrites();
};

void tst_BusyBook::writeWhileAnotherProgramWrites() {
    QFETCH(Write, write);
    BoxAnswers boxes;
    AppUnderTest app;
    std::vector<korvale::testbook::Row> rows;
    for (const auto& r : startingRows()) rows.push_back(rowOf(r));
    korvale::testbook::insertRows(app.bookPath(), rows);
    Screen* screen = prepareWrite(app, write);
    QVERIFY(screen);
    const auto typed = fieldTexts(screen);
    const auto before = readBook(app.bookPath()).rows;

    {
        ChildProcess holder({writerProgram(), "hold", app.dir().string()}, app.dir() / "holder.err", true);
        std::string line;
        QVERIFY2(holder.readLine(line) && line == "held", holder.errorOutput().c_str());
        boxes.clear();
        pressWrite(screen, write, boxes, false);

        const BoxRequest* report = reportNaming(boxes, app.bookPath());
        QVERIFY2(report, qPrintable(boxes.texts().join(QLatin1String(" / "))));
        QVERIFY2(report->text.contains(QLatin1String("busy")), qPrintable(report->text));
        QVERIFY(!shown(boxes, doneMessage(write)));
        QCOMPARE(fieldTexts(screen), typed);
        holder.closeStdin();
        QVERIFY2(holder.waitSucceeded(), holder.errorOutput().c_str());
    }
    QVERIFY(boxes.problems().isEmpty());
    QCOMPARE(describe(readBook(app.bookPath()).rows), describe(before));

    // The lock gone, the same press goes through.
    boxes.clear();
    pressWrite(screen, write, boxes, true);
    QVERIFY2(shown(boxes, doneMessage(write)), qPrintable(boxes.texts().join(QLatin1String(" / "))));
    QVERIFY2(boxes.problems().isEmpty(), qPrintable(boxes.problems().join(QLatin1String(" / "))));
    const auto after = readBook(app.bookPath());
    QCOMPARE(after.integrity, std::vector<std::string>{"ok"});
    QCOMPARE(describe(after.rows), describe(rowsAfter(write, before)));
}

QTEST_MAIN(tst_BusyBook)
#include "tst_BusyBook.moc"
