#include <QAbstractButton>
#include <QApplication>
#include <QTest>

#include "tests/gui/ScreenDriver.h"

namespace {

const QStringList kBoxes{"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7", "Text8", "Text9"};
const QStringList kAllBoxes = kBoxes + QStringList{"Text10"};

}  // namespace

// The search screen: the name at load, the look-up, REFRESH.
class tst_SearchForm : public QObject {
    Q_OBJECT
private slots:
    void loadPutsTheLastStoredNameInTheLookUp_data();
    void loadPutsTheLastStoredNameInTheLookUp();
    void searchAtOnceShowsTheFirstRowOfThatName();
    void searchOnAnEmptyTableFindsNoRecord();
    void lookUpAfterAShownRecord_data();
    void lookUpAfterAShownRecord();
    void refreshEmptiesAllTenBoxes();
    void typedDisplayTextIsNeverStored();
    void aQuoteInTheNameSelectsByNothingElse();
};

void tst_SearchForm::loadPutsTheLastStoredNameInTheLookUp_data() {
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("lookUp");
    QTest::newRow("empty table") << QStringList{} << "";
    QTest::newRow("one row") << QStringList{sampleRow("ann lee", "a")} << "ann lee";
    QTest::newRow("three rows: the last one stored")
        << QStringList{sampleRow("bob", "b"), sampleRow("cy", "c"), sampleRow("ann lee", "a")} << "ann lee";
    // The load walk writes names as they are; only typed names pass the letter rule.
    QTest::newRow("a name typed elsewhere")
        << QStringList{sampleRow("bob", "b"), sampleRow("O'Neil 2", "o")} << "O'Neil 2";
}

void tst_SearchForm::loadPutsTheLastStoredNameInTheLookUp() {
    QFETCH(QStringList, rows);
    QFETCH(QString, lookUp);
    BoxAnswers answers;
    AppUnderTest app;
    storeRows(app, rows);
    ScreenDriver s(app, ScreenId::SEARCH_FORM);
    QVERIFY(s.isOpen());
    QCOMPARE(s.screen()->windowTitle(), QStringLiteral("SEARCH FORM"));
    QCOMPARE(s.text("Text10"), lookUp);
    QCOMPARE(s.texts(kBoxes), QStringList(9, QString()));
    QCOMPARE(ScreenDriver::focusName(), QStringLiteral("BACK"));
    QCOMPARE(facesOf(answers), QStringList());
}

void tst_SearchForm::searchAtOnceShowsTheFirstRowOfThatName() {
    BoxAnswers answers;
    AppUnderTest app;
    const QStringList rows{sampleRow("ann lee", "first"), sampleRow("bob", "b"),
                           sampleRow("ann lee", "last")};
    storeRows(app, rows);
    ScreenDriver s(app, ScreenId::SEARCH_FORM);

    s.click("SEARCH");

    QCOMPARE(s.texts(kBoxes), shownAs(rows[0]));
    QCOMPARE(s.text("Text10"), QStringLiteral("ann lee"));
    QCOMPARE(facesOf(answers), QStringList());
    QCOMPARE(bookRows(app), rows);
}

void tst_SearchForm::searchOnAnEmptyTableFindsNoRecord() {
    AppUnderTest app;
    RealBoxFaces boxes;
    ScreenDriver s(app, ScreenId::SEARCH_FORM);
    QCOMPARE(s.texts(kAllBoxes), QStringList(10, QString()));

    s.click("SEARCH");

    QCOMPARE(boxes.faces(), QStringList{noRecord()});
    QCOMPARE(s.texts(kAllBoxes), QStringList(10, QString()));
    QCOMPARE(QApplication::activeWindow(), s.screen());
}

void tst_SearchForm::lookUpAfterAShownRecord_data() {
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QStringList>("shown");

    const QStringList bob = shownAs(sampleRow("bob", "b"));
    QTest::newRow("another stored name")
        << sampleRow("cy", "c") << "cy" << QStringList{} << shownAs(sampleRow("cy", "c"));
    QTest::newRow("a name no row has: the earlier record stays")
        << sampleRow("cy", "c") << "dan" << QStringList{noRecord()} << bob;
    QTest::newRow("part of a name finds nothing")
        << sampleRow("cy", "c") << "c" << QStringList{noRecord()} << bob;
    QTest::newRow("an empty name finds nothing")
        << sampleRow("cy", "c") << "" << QStringList{noRecord()} << bob;
    // A column without a value stops the copy there: the boxes before it show the new row.
    QTest::newRow("null e-mail") << "cy|c street|<null>|01-01-1990|c home|c work|c cell|c remarks|CLIENT"
                                 << "cy" << QStringList{noRecord()}
                                 << QStringList{"cy",     "c street", "b@mail",    "23-07-1987", "b home",
                                                "b work", "b cell",   "b remarks", "FRIEND"};
    QTest::newRow("null cell") << "cy|c street|c@mail|01-01-1990|c home|c work|<null>|c remarks|CLIENT"
                               << "cy" << QStringList{noRecord()}
                               << QStringList{"cy",     "c street", "c@mail",    "01-01-1990", "c home",
                                              "c work", "b cell",   "b remarks", "FRIEND"};
    // The category is copied before the remarks.
    QTest::newRow("null remarks") << "cy|c street|c@mail|01-01-1990|c home|c work|c cell|<null>|CLIENT"
                                  << "cy" << QStringList{noRecord()}
                                  << QStringList{"cy",     "c street", "c@mail",    "01-01-1990", "c home",
                                                 "c work", "c cell",   "b remarks", "CLIENT"};
    QTest::newRow("null category") << "cy|c street|c@mail|01-01-1990|c home|c work|c cell|c remarks|<null>"
                                   << "cy" << QStringList{noRecord()}
                                   << QStringList{"cy",     "c street", "c@mail",    "01-01-1990", "c home",
                                                  "c work", "c cell",   "b remarks", "FRIEND"};
}

void tst_SearchForm::lookUpAfterAShownRecord() {
    QFETCH(QString, row);
    QFETCH(QString, name);
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, shown);
    BoxAnswers answers;
    AppUnderTest app;
    storeRows(app, {sampleRow("bob", "b"), row});
    ScreenDriver s(app, ScreenId::SEARCH_FORM);
    s.click("Text10");
    s.wipe("Text10");
    ScreenDriver::typeHere("Bob");
    s.click("SEARCH");
    QCOMPARE(s.texts(kBoxes), shownAs(sampleRow("bob", "b")));
    QCOMPARE(facesOf(answers), QStringList());

    s.click("Text10");
    s.wipe("Text10");
    ScreenDriver::typeHere(name);
    s.click("SEARCH");

    QCOMPARE(facesOf(answers), boxes);
    QCOMPARE(s.texts(kBoxes), shown);
    QCOMPARE(s.text("Text10"), name);
    QVERIFY(s.isOpen());
}

void tst_SearchForm::refreshEmptiesAllTenBoxes() {
    BoxAnswers answers;
    AppUnderTest app;
    storeRows(app, {sampleRow("ann lee", "a")});
    ScreenDriver s(app, ScreenId::SEARCH_FORM);
    s.click("SEARCH");
    QCOMPARE(s.text("Text1"), QStringLiteral("ann lee"));

    s.click("REFRESH");
    QCOMPARE(facesOf(answers), QStringList{face("KORVALE", "FORM IS REFRESH")});
    QCOMPARE(s.texts(kAllBoxes), QStringList(10, QString()));

    // What is left to look for is the empty name.
    s.click("SEARCH");
    QCOMPARE(facesOf(answers), (QStringList{face("KORVALE", "FORM IS REFRESH"), noRecord()}));
    QCOMPARE(s.texts(kAllBoxes), QStringList(10, QString()));
}

void tst_SearchForm::typedDisplayTextIsNeverStored() {
    BoxAnswers answers;
    AppUnderTest app;
    storeRows(app, {sampleRow("ann lee", "a")});
    ScreenDriver s(app, ScreenId::SEARCH_FORM);
    s.click("SEARCH");
    s.click("Text2");
    s.wipe("Text2");
    ScreenDriver::typeHere("Somewhere Else");

    s.click("SEARCH");

    QCOMPARE(s.text("Text2"), QStringLiteral("a street"));
    QCOMPARE(bookRows(app), QStringList{sampleRow("ann lee", "a")});
    QCOMPARE(facesOf(answers), QStringList());
}

// A name with quotes reaches the look-up field through the load walk. Whether it finds its own row
// or nothing, it must never select another row by a condition of its own.
void tst_SearchForm::aQuoteInTheNameSelectsByNothingElse() {
    BoxAnswers answers;
    AppUnderTest app;
    const QString quoted = "x' or name<>'";
    storeRows(app, {sampleRow("bob", "b"), sampleRow(quoted, "x")});
    ScreenDriver s(app, ScreenId::SEARCH_FORM);
    QCOMPARE(s.text("Text10"), quoted);

    s.click("SEARCH");

    if (facesOf(answers).isEmpty()) {
        QCOMPARE(s.texts(kBoxes), shownAs(sampleRow(quoted, "x")));
    } else {
        QCOMPARE(facesOf(answers), QStringList{noRecord()});
        QCOMPARE(s.texts(kBoxes), QStringList(9, QString()));
    }
}

QTEST_MAIN(tst_SearchForm)
#include "tst_SearchForm.moc"
