// The date check on its own (the key rules are driven through the fields, in tst_Screens).

#include <QTest>

#include "rules/DateCheck.h"

using namespace korvale::rules;

class tst_Rules : public QObject {
    Q_OBJECT
private slots:

    // Whether a text passes, and the day it reads as (which the export writes into BDAY).
    void dateCheck_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("day");
        QTest::newRow("day-month-year") << "23-07-1987" << QDate(1987, 7, 23);
        QTest::newRow("slashes, two-digit year") << "23/07/87" << QDate(1987, 7, 23);
        QTest::newRow("one digit for day and month") << "1-2-1987" << QDate(1987, 2, 1);
        QTest::newRow("ISO") << "1987-07-23" << QDate(1987, 7, 23);
        QTest::newRow("a leap day") << "29-02-1988" << QDate(1988, 2, 29);
        QTest::newRow("00 reads as 2000, a leap year") << "29-02-00" << QDate(2000, 2, 29);
        QTest::newRow("04 is 2004") << "01-02-04" << QDate(2004, 2, 1);
        QTest::newRow("29 is 2029") << "31-12-29" << QDate(2029, 12, 31);
        QTest::newRow("30 is 1930") << "1/1/30" << QDate(1930, 1, 1);
        QTest::newRow("2000 was a leap year") << "29-02-2000" << QDate(2000, 2, 29);
        QTest::newRow("in the future") << "01-01-2999" << QDate(2999, 1, 1);
        QTest::newRow("no 31st of February") << "31-02-1987" << QDate();
        QTest::newRow("1900 was no leap year") << "29-02-1900" << QDate();
        QTest::newRow("no 13th month") << "01-13-1987" << QDate();
        QTest::newRow("no day 0") << "00-01-1987" << QDate();
        QTest::newRow("mixed separators") << "23-07/1987" << QDate();
        QTest::newRow("three-digit year") << "23-07-198" << QDate();
        QTest::newRow("digits alone") << "23071987" << QDate();
        QTest::newRow("not trimmed") << " 23-07-1987" << QDate();
        QTest::newRow("empty") << "" << QDate();
        QTest::newRow("the hint") << "dd-mm-yyyy" << QDate();
        QTest::newRow("other digits") << QString::fromUtf8("٢٣-٠٧-١٩٨٧") << QDate();
    }

    void dateCheck() {
        QFETCH(QString, text);
        QFETCH(QDate, day);
        QCOMPARE(VALIDDATE(text), day.isValid());
        QCOMPARE(readDate(text), day);
    }
};

QTEST_APPLESS_MAIN(tst_Rules)
#include "tst_Rules.moc"
