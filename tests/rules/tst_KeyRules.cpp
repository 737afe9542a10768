#include <QTest>

#include "rules/KeyRules.h"

using namespace korvale::rules;

// What each rule lets through, as the code the field receives (0: nothing).
class tst_KeyRules : public QObject {
    Q_OBJECT
private slots:
    void letterRule_data();
    void letterRule();
    void digitRule_data();
    void digitRule();
};

void tst_KeyRules::letterRule_data() {
    QTest::addColumn<int>("typed");
    QTest::addColumn<int>("received");
    QTest::newRow("small letter") << int('j') << int('j');
    QTest::newRow("capital made small") << int('J') << int('j');
    QTest::newRow("capital Z made small") << int('Z') << int('z');
    QTest::newRow("space") << 32 << 32;
    QTest::newRow("backspace") << 8 << 8;
    QTest::newRow("apostrophe") << int('\'') << 0;
    QTest::newRow("hyphen") << int('-') << 0;
    QTest::newRow("full stop") << int('.') << 0;
    QTest::newRow("digit") << int('7') << 0;
    QTest::newRow("enter") << 13 << 0;
    QTest::newRow("escape") << 27 << 0;
    QTest::newRow("ctrl+c") << 3 << 0;
    QTest::newRow("ctrl+v") << 22 << 0;
    QTest::newRow("ctrl+x") << 24 << 0;
    QTest::newRow("delete") << 127 << 0;
    QTest::newRow("accented small") << 0xe9 << 0;
    QTest::newRow("accented capital") << 0xc9 << 0;
    QTest::newRow("sharp s") << 0xdf << 0;
    QTest::newRow("cyrillic") << 0x416 << 0;
    QTest::newRow("kelvin sign lower-cases to k") << 0x212a << int('k');
    QTest::newRow("bracket between Z and a") << int('[') << 0;
    QTest::newRow("backtick before a") << int('`') << 0;
    QTest::newRow("brace after z") << int('{') << 0;
}

void tst_KeyRules::letterRule() {
    QFETCH(int, typed);
    QFETCH(int, received);
    QCOMPARE(korvale::rules::letterRule(typed), received);
}

void tst_KeyRules::digitRule_data() {
    QTest::addColumn<int>("typed");
    QTest::addColumn<int>("received");
    for (char d = '0'; d <= '9'; ++d) QTest::addRow("digit %c", d) << int(d) << int(d);
    QTest::newRow("hyphen") << int('-') << int('-');
    QTest::newRow("backspace") << 8 << 8;
    QTest::newRow("slash") << int('/') << 0;
    QTest::newRow("colon after 9") << int(':') << 0;
    QTest::newRow("space") << 32 << 0;
    QTest::newRow("plus") << int('+') << 0;
    QTest::newRow("parenthesis") << int('(') << 0;
    QTest::newRow("full stop") << int('.') << 0;
    QTest::newRow("letter") << int('a') << 0;
    QTest::newRow("enter") << 13 << 0;
    QTest::newRow("ctrl+v") << 22 << 0;
    QTest::newRow("arabic-indic digit") << 0x663 << 0;
    QTest::newRow("fullwidth digit") << 0xff13 << 0;
}

void tst_KeyRules::digitRule() {
    QFETCH(int, typed);
    QFETCH(int, received);
    QCOMPARE(korvale::rules::digitRule(typed), received);
}

QTEST_APPLESS_MAIN(tst_KeyRules)
#include "tst_KeyRules.moc"
