#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QTest>

#include "tests/gui/ScreenDriver.h"

namespace {

const QStringList kFields{"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7", "Text8", "Combo1"};

QString confirmation() {
    return face("CONFIRMATION", "Are you sure that you want to be add this record", "Yes, No", "information");
}
QString saved() {
    return face("INFORMATION", "Record Is Saved", "OK", "information");
}
QString addMore() {
    return face("KORVALE", "do you want to add more record", "Yes, No", "question");
}

// The operator types a whole record, moving through the fields so that no check objects: the date
// before the telephones, the category before the remarks.
void typeRecord(ScreenDriver& s) {
    s.click("Text1");
    ScreenDriver::typeHere("Ann Lee");
    ScreenDriver::tab();
    ScreenDriver::typeHere("1 High Street");
    ScreenDriver::tab();
    ScreenDriver::typeHere("ann@mail.com");
    s.click("Text4");
    s.wipe("Text4");
    ScreenDriver::typeHere("23-07-1987");
    s.click("Text5");
    ScreenDriver::typeHere("020-7946");
    ScreenDriver::tab();
    ScreenDriver::typeHere("0161");
    ScreenDriver::tab();
    ScreenDriver::typeHere("07700-900");
    s.click("Combo1");
    ScreenDriver::typeHere("{DOWN}");
    s.click("Text8");
    ScreenDriver::typeHere("Met at work");
}

const QString kTyped =
    "ann lee|1 High Street|ann@mail.com|23-07-1987|020-7946|0161|07700-900|Met at work|CLIENT";
const QStringList kTypedFields{"ann lee", "1 High Street", "ann@mail.com", "23-07-1987", "020-7946",
                               "0161",    "07700-900",     "Met at work",  "CLIENT"};

}  // namespace

// The addition screen: what it opens with, SUBMIT with its three questions, REFRESH.
class tst_AddForm : public QObject {
    Q_OBJECT
private slots:
    void opensWithTheHintAndTheFocusOnRefresh();
    void categoryBoxListsThreeEntriesOnEveryVisit();
    void submit_data();
    void submit();
    void submitTwiceStoresTwoIdenticalRows();
    void refreshEmptiesTheTextFieldsAndKeepsTheCategory();
    void enterInAFieldStoresNothing();
    void categoryIsStoredAsTyped_data();
    void categoryIsStoredAsTyped();
};

void tst_AddForm::opensWithTheHintAndTheFocusOnRefresh() {
    BoxAnswers answers;
    AppUnderTest app;
    ScreenDriver s(app, ScreenId::ADD_FORM);
    QVERIFY(s.isOpen());
    QCOMPARE(s.screen()->windowTitle(), QStringLiteral("ADDITION FORM"));
    QCOMPARE(s.texts(kFields), (QStringList{"", "", "", "dd-mm-yyyy", "", "", "", "", ""}));
    QCOMPARE(s.combo()->currentIndex(), -1);
    QCOMPARE(ScreenDriver::focusName(), QStringLiteral("REFRESH"));
    QCOMPARE(facesOf(answers), QStringList());
}

void tst_AddForm::categoryBoxListsThreeEntriesOnEveryVisit() {
    AppUnderTest app;
    ScreenDriver first(app, ScreenId::ADD_FORM);
    QCOMPARE(categories(first.combo()), (QStringList{"CLIENT", "RELATIVE", "FRIEND"}));
    QTest::mouseClick(first.button("BACK"), Qt::LeftButton);
    QVERIFY(!first.isOpen());

    ScreenDriver again(app, ScreenId::ADD_FORM);
    QVERIFY(again.isOpen());
    QCOMPARE(categories(again.combo()), (QStringList{"CLIENT", "RELATIVE", "FRIEND"}));
    QCOMPARE(again.text("Combo1"), QString());
}

void tst_AddForm::submit_data() {
    QTest::addColumn<bool>("typeFirst");
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QStringList>("fieldsAfter");

    const int yes = MessageBoxes::kYes;
    const int no = MessageBoxes::kNo;
    const QStringList emptied{"", "", "", "", "", "", "", "", ""};
    const QStringList onOpening{"", "", "", "dd-mm-yyyy", "", "", "", "", ""};
    const QString hintRow = "|||dd-mm-yyyy|||||";

    QTest::newRow("right after opening, Yes, No")
        << false << QList<int>{yes, no} << QStringList{confirmation(), saved(), addMore()}
        << QStringList{hintRow} << onOpening;
    QTest::newRow("right after opening, Yes, Yes")
        << false << QList<int>{yes, yes} << QStringList{confirmation(), saved(), addMore()}
        << QStringList{hintRow} << emptied;
    QTest::newRow("typed record, Yes, No")
        << true << QList<int>{yes, no} << QStringList{confirmation(), saved(), addMore()}
        << QStringList{kTyped} << kTypedFields;
    // Yes to "add more" empties all nine fields, the category's text too, and leaves no hint.
    QTest::newRow("typed record, Yes, Yes")
        << true << QList<int>{yes, yes} << QStringList{confirmation(), saved(), addMore()}
        << QStringList{kTyped} << emptied;
    QTest::newRow("typed record, No, No: still asks, stores nothing")
        << true << QList<int>{no, no} << QStringList{confirmation(), addMore()} << QStringList{}
        << kTypedFields;
    QTest::newRow("typed record, No, Yes: stores nothing, empties")
        << true << QList<int>{no, yes} << QStringList{confirmation(), addMore()} << QStringList{} << emptied;
}

void tst_AddForm::submit() {
    QFETCH(bool, typeFirst);
    QFETCH(QList<int>, answers);
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, stored);
    QFETCH(QStringList, fieldsAfter);
    BoxAnswers shown;
    AppUnderTest app;
    ScreenDriver s(app, ScreenId::ADD_FORM);
    QVERIFY(s.isOpen());
    if (typeFirst) typeRecord(s);
    QCOMPARE(facesOf(shown), QStringList());
    QCOMPARE(bookRows(app), QStringList());
    for (int a : answers) shown.answer({a});

    s.click("SUBMIT");

    QCOMPARE(facesOf(shown), boxes);
    QCOMPARE(bookRows(app), stored);
    QCOMPARE(s.texts(kFields), fieldsAfter);
    QCOMPARE(categories(s.combo()), (QStringList{"CLIENT", "RELATIVE", "FRIEND"}));
    QCOMPARE(ScreenDriver::focusName(), QStringLiteral("SUBMIT"));
    QVERIFY(shown.problems().isEmpty());
    QCOMPARE(shown.unusedAnswers(), 0);
}

// There is no test for an existing name: the same record twice is two rows.
void tst_AddForm::submitTwiceStoresTwoIdenticalRows() {
    AppUnderTest app;
    RealBoxFaces boxes;
    ScreenDriver s(app, ScreenId::ADD_FORM);
    typeRecord(s);
    boxes.answer({"Yes", "No", "Yes", "No"});

    s.click("SUBMIT");
    s.click("SUBMIT");

    QCOMPARE(boxes.faces(),
             (QStringList{confirmation(), saved(), addMore(), confirmation(), saved(), addMore()}));
    QCOMPARE(bookRows(app), (QStringList{kTyped, kTyped}));
    QCOMPARE(s.texts(kFields), kTypedFields);
    QCOMPARE(QApplication::activeWindow(), s.screen());
}

void tst_AddForm::refreshEmptiesTheTextFieldsAndKeepsTheCategory() {
    BoxAnswers answers;
    AppUnderTest app;
    ScreenDriver s(app, ScreenId::ADD_FORM);
    typeRecord(s);

    s.click("REFRESH");

    QCOMPARE(s.texts(kFields), (QStringList{"", "", "", "", "", "", "", "", "CLIENT"}));
    QCOMPARE(categories(s.combo()), (QStringList{"CLIENT", "RELATIVE", "FRIEND"}));
    QCOMPARE(facesOf(answers), QStringList());
    QCOMPARE(bookRows(app), QStringList());
}

// No button of the screen is the window's default: Enter in a field stores nothing.
void tst_AddForm::enterInAFieldStoresNothing() {
    BoxAnswers answers;
    AppUnderTest app;
    ScreenDriver s(app, ScreenId::ADD_FORM);
    typeRecord(s);
    for (const char* field : {"Text2", "Text3", "Text8"}) {
        s.click(field);
        ScreenDriver::typeHere("{ENTER}{KPENTER}");
        QCOMPARE(ScreenDriver::focusName(), QString::fromLatin1(field));
    }
    s.click("Combo1");
    ScreenDriver::typeHere("{ENTER}");

    QCOMPARE(facesOf(answers), QStringList());
    QCOMPARE(bookRows(app), QStringList());
    QCOMPARE(s.texts(kFields), kTypedFields);
}

void tst_AddForm::categoryIsStoredAsTyped_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("category");
    QTest::newRow("a word not in the list, then Enter") << "Neighbour{ENTER}"
                                                        << "Neighbour";
    QTest::newRow("a listed word as listed") << "RELATIVE"
                                             << "RELATIVE";
    QTest::newRow("chosen from the list with the Down key") << "{DOWN}{DOWN}"
                                                            << "RELATIVE";
    // The text part takes any character and stores it exactly as typed: no completion, no re-casing.
    QTest::newRow("a listed word in other letters") << "Friend"
                                                    << "Friend";
    QTest::newRow("a listed word in other letters, then Enter") << "Friend{ENTER}"
                                                                << "Friend";
    QTest::newRow("the first letter of a listed word") << "c"
                                                       << "c";
    QTest::newRow("the start of a listed word") << "rel"
                                                << "rel";
}

void tst_AddForm::categoryIsStoredAsTyped() {
    QFETCH(QString, keys);
    QFETCH(QString, category);
    BoxAnswers answers;
    AppUnderTest app;
    ScreenDriver s(app, ScreenId::ADD_FORM);
    s.click("Combo1");
    ScreenDriver::typeHere(keys);
    QCOMPARE(s.text("Combo1"), category);
    answers.answer({MessageBoxes::kYes, MessageBoxes::kNo});

    s.click("SUBMIT");

    QCOMPARE(bookRows(app), QStringList{"|||dd-mm-yyyy|||||" + category});
    QCOMPARE(s.text("Combo1"), category);
    QCOMPARE(categories(s.combo()), (QStringList{"CLIENT", "RELATIVE", "FRIEND"}));
}

QTEST_MAIN(tst_AddForm)
#include "tst_AddForm.moc"
