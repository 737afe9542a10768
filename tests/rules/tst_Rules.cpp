// The entry rules on their own: the key rules over every code point, and the date check.

#include <QTest>

#include "rules/DateCheck.h"
#include "rules/KeyRules.h"

using namespace korvale::rules;

class tst_Rules : public QObject {
    Q_OBJECT
private slots:

    // A name takes a letter, arriving small, a backspace and a space; a date or a telephone number takes
    // the digits, '-' and a backspace, unchanged. Everything else is dropped.
    void keyRulesOverEveryCodePoint() {
        for (char32_t c = 0; c <= 0x10FFFF; ++c) {
            const int code = static_cast<int>(c);
            const char32_t small = QChar::toLower(c);
            const bool asciiLetter = small < 0x80 && QChar::isLetter(small);
            const int name = asciiLetter ? static_cast<int>(small) : (c == 8 || c == ' ') ? code : kDrop;
            const int digit = (c >= '0' && c <= '9') || c == '-' || c == 8 ? code : kDrop;
            if (letterRule(code) != name || digitRule(code) != digit)
                QFAIL(qPrintable(QStringLiteral("U+%1: name %2, date %3")
                                     .arg(code, 4, 16)
                                     .arg(letterRule(code))
                                     .arg(digitRule(code))));
        }
    }

    void dateCheck_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("date");
        QTest::newRow("day-month-year") << "23-07-1987" << true;
        QTest::newRow("slashes, two-digit year") << "23/07/87" << true;
        QTest::newRow("one digit for day and month") << "1-2-1987" << true;
        QTest::newRow("ISO") << "1987-07-23" << true;
        QTest::newRow("a leap day") << "29-02-1988" << true;
        QTest::newRow("00 reads as 2000, a leap year") << "29-02-00" << true;
        QTest::newRow("2000 was a leap year") << "29-02-2000" << true;
        QTest::newRow("in the future") << "01-01-2999" << true;
        QTest::newRow("no 31st of February") << "31-02-1987" << false;
        QTest::newRow("1900 was no leap year") << "29-02-1900" << false;
        QTest::newRow("no 13th month") << "01-13-1987" << false;
        QTest::newRow("no day 0") << "00-01-1987" << false;
        QTest::newRow("mixed separators") << "23-07/1987" << false;
        QTest::newRow("three-digit year") << "23-07-198" << false;
        QTest::newRow("digits alone") << "23071987" << false;
        QTest::newRow("not trimmed") << " 23-07-1987" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("the hint") << "dd-mm-yyyy" << false;
        QTest::newRow("other digits") << QString::fromUtf8("٢٣-٠٧-١٩٨٧") << false;
    }

    void dateCheck() {
        QFETCH(QString, text);
        QFETCH(bool, date);
        QCOMPARE(VALIDDATE(text), date);
    }
};

QTEST_APPLESS_MAIN(tst_Rules)
#include "tst_Rules.moc"
