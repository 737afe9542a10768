#include <QTest>

#include "rules/DateCheck.h"

class tst_DateCheck : public QObject {
    Q_OBJECT
private slots:
    void recognition_data();
    void recognition();
};

void tst_DateCheck::recognition_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isDate");
    QTest::newRow("hyphens, four-digit year") << "23-07-1987" << true;
    QTest::newRow("slashes, two-digit year") << "23/07/87" << true;
    QTest::newRow("slashes, four-digit year") << "23/07/1987" << true;
    QTest::newRow("one-digit day and month") << "3-7-1987" << true;
    QTest::newRow("leap day of a leap year") << "29-02-1988" << true;
    QTest::newRow("leap day of 2000") << "29-02-2000" << true;
    QTest::newRow("future date") << "01-01-2999" << true;
    QTest::newRow("two-digit year 29 is 2029") << "29-02-28" << true;
    QTest::newRow("two-digit year 00 is a leap year 2000") << "29-02-00" << true;
    QTest::newRow("two-digit year 30 is 1930, not leap") << "29-02-30" << false;
    QTest::newRow("ISO year-month-day") << "1987-07-23" << true;
    QTest::newRow("ISO impossible day") << "1987-02-31" << false;
    QTest::newRow("31 February") << "31-02-1987" << false;
    QTest::newRow("29 February 1900") << "29-02-1900" << false;
    QTest::newRow("29 February 1987") << "29-02-1987" << false;
    QTest::newRow("31 April") << "31-04-1987" << false;
    QTest::newRow("month 13") << "12-13-1987" << false;
    QTest::newRow("day 0") << "00-07-1987" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("hint text") << "dd-mm-yyyy" << false;
    QTest::newRow("digits without separators") << "23071987" << false;
    QTest::newRow("three-digit year") << "23-07-198" << false;
    QTest::newRow("mixed separators") << "23-07/1987" << false;
    QTest::newRow("letters") << "23-jul-1987" << false;
    QTest::newRow("leading space") << " 23-07-1987" << false;
    QTest::newRow("trailing newline") << "23-07-1987\n" << false;
    QTest::newRow("trailing junk") << "23-07-1987x" << false;
    QTest::newRow("arabic-indic digits") << QString::fromUtf8("٢٣-٠٧-١٩٨٧") << false;
    QTest::newRow("only separators") << "--" << false;
}

void tst_DateCheck::recognition() {
    QFETCH(QString, text);
    QFETCH(bool, isDate);
    QCOMPARE(korvale::rules::VALIDDATE(text), isDate);
}

QTEST_APPLESS_MAIN(tst_DateCheck)
#include "tst_DateCheck.moc"
