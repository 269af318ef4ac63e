// Bar keys and second texts are kept packed; whatever is stored must read
// back exactly.
#include "ui/controls/PackedText.h"

#include <QtTest>

class TestPackedText : public QObject {
    Q_OBJECT
private slots:
    void readsBackExactly_data();
    void readsBackExactly();
    void copiesAreIndependent();
};

void TestPackedText::readsBackExactly_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("booking key") << QStringLiteral("B123");
    QTest::newRow("plain number") << QStringLiteral("123");
    QTest::newRow("letter and negative") << QStringLiteral("B-5");
    // Numbers that would not read back the same are kept as text.
    QTest::newRow("leading zero") << QStringLiteral("B0123");
    QTest::newRow("plus sign") << QStringLiteral("+12");
    QTest::newRow("minus zero") << QStringLiteral("-0");
    QTest::newRow("beyond 32 bits") << QStringLiteral("B2147483648");
    QTest::newRow("letter only") << QStringLiteral("B");
    QTest::newRow("non-ASCII letter") << QStringLiteral("Ω12");
    QTest::newRow("words") << QStringLiteral("Zoë O'Neil");
}

void TestPackedText::readsBackExactly() {
    QFETCH(QString, text);
    PackedText packed;
    packed.Set(QStringLiteral("B999")); // whatever was there before goes
    packed.Set(text);
    QCOMPARE(packed.Get(), text);
    QCOMPARE(packed.Get().isNull(), text.isNull() || text.isEmpty());
}

void TestPackedText::copiesAreIndependent() {
    PackedText a;
    a.Set(QStringLiteral("free text"));
    PackedText b = a;
    a.Set(QStringLiteral("B7"));
    QCOMPARE(b.Get(), QStringLiteral("free text"));
    b = a;
    a.Set(QStringLiteral("other"));
    QCOMPARE(b.Get(), QStringLiteral("B7"));
}

QTEST_APPLESS_MAIN(TestPackedText)
#include "tst_packedtext.moc"
