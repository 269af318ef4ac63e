// Day numbers, minutes and their display forms (durations: the labels in tst_definitions).
#include "TestEnv.h"

#include "base/ClsIni.h"
#include "base/Settings.h"
#include "model/ClsDate.h"

#include <QtTest>

class TstDate : public QObject {
    Q_OBJECT

private slots:
    void dayNumbers_data();
    void dayNumbers();
    void showTime_data();
    void showTime();
    void getTime_data();
    void getTime();
    void errorsAreLoggedAndGiveZero();
    void formatDate_data();
    void formatDate();
};

void TstDate::dayNumbers_data() {
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QList<qint32>>("days"); // the day, its month's start and end, the length
    QTest::newRow("February 1900, not a leap year")
        << QDate(1900, 2, 10) << QList<qint32>{40, 31, 58, 28};
    QTest::newRow("1 March 1900, no 29 February 1900")
        << QDate(1900, 3, 1) << QList<qint32>{59, 59, 89, 31};
    QTest::newRow("31 December 1899 is -1")
        << QDate(1899, 12, 31) << QList<qint32>{-1, -31, -1, 31};
    QTest::newRow("29 February 2000, the last of its month")
        << QDate(2000, 2, 29) << QList<qint32>{36583, 36555, 36583, 29};
}

void TstDate::dayNumbers() {
    QFETCH(QDate, date);
    QFETCH(QList<qint32>, days);
    const qint32 day = ClsDate::DateToLong(date);
    QCOMPARE(ClsDate::LongToDate(days[0]), date);
    QCOMPARE((QList<qint32>{day, ClsDate::MonthStart(day), ClsDate::MonthEnd(day),
                            ClsDate::MonthLength(day)}),
             days);
}

void TstDate::showTime_data() {
    QTest::addColumn<int>("military"); // -1: the program has not started
    QTest::addColumn<int>("minutes");
    QTest::addColumn<bool>("withAmPm");
    QTest::addColumn<QString>("text");
    QTest::newRow("12h: midnight am") << 0 << 0 << true << "00:00 am";
    QTest::newRow("12h: 9:05 without suffix") << 0 << 545 << false << "09:05";
    QTest::newRow("12h: noon is pm") << 0 << 720 << true << "12:00 pm";
    QTest::newRow("12h: 12:59 pm keeps 12") << 0 << 779 << true << "12:59 pm";
    QTest::newRow("12h: 1 pm") << 0 << 780 << true << "01:00 pm";
    QTest::newRow("12h: end of day is am") << 0 << 1440 << true << "12:00 am";
    QTest::newRow("24h: 1 pm ignores suffix") << 1 << 780 << true << "13:00";
    QTest::newRow("24h: end of day") << 1 << 1440 << false << "24:00";
    QTest::newRow("24h: any non-zero value") << 2 << 545 << true << "09:05";
    QTest::newRow("before the start: 12h, nothing logged") << -1 << 900 << true << "03:00 pm";
}

// Written after a first call, as the configuration dialog does: the next call follows it.
void TstDate::showTime() {
    QFETCH(int, military);
    QFETCH(int, minutes);
    QFETCH(bool, withAmPm);
    QFETCH(QString, text);
    TestEnv env;
    if (military >= 0) {
        QVERIFY(env.Start());
        ClsDate::ShowTime(minutes, withAmPm);
        Settings::Ini().WriteValue(QStringLiteral("Options"), QStringLiteral("UseMilitaryTime"),
                                   military);
        env.ClearLog();
    }
    QCOMPARE(ClsDate::ShowTime(minutes, withAmPm), text);
    QVERIFY(env.LogLines().isEmpty());
}

void TstDate::getTime_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("minutes");
    QTest::newRow("two-digit hour") << "09:30" << 570;
    QTest::newRow("one-digit minutes 7:5") << "7:5" << 425;
    QTest::newRow("no colon") << "12" << 0;
    QTest::newRow("nothing before the colon") << ":30" << 30;
    QTest::newRow("leading blanks skipped") << "  9:  15" << 555;
    QTest::newRow("decimal hours") << "1.5:00" << 90;
    QTest::newRow("half rounds to even, down") << "0:2.5" << 2;
    QTest::newRow("half rounds to even, up") << "0:1.5" << 2;
    QTest::newRow("negative hours") << "-1:30" << -30;
    QTest::newRow("reading stops at a letter or a blank") << "9h:30 pm" << 570;
}

void TstDate::getTime() {
    QFETCH(QString, text);
    QFETCH(int, minutes);
    QCOMPARE(int(ClsDate::GetTime(text)), minutes);
}

void TstDate::errorsAreLoggedAndGiveZero() {
    TestEnv env;
    QCOMPARE(ClsDate::DateToLong(QDate()), 0);
    QCOMPARE(int(ClsDate::GetTime(QStringLiteral("999:00"))), 0);
    QCOMPARE(env.LogLines(), (QStringList{QStringLiteral("Error in ClsDate.DateToLong"),
                                          QStringLiteral("Error in ClsDate.GetTime")}));
}

void TstDate::formatDate_data() {
    QTest::addColumn<qint32>("day");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    QTest::newRow("long forms") << 46359 << QString("dddd d mmmm yyyy")
                                << "Saturday 5 December 2026";
    QTest::newRow("short forms") << 36583 << QString("ddd dd mmm yy") << "Tue 29 Feb 00";
    QTest::newRow("numbers") << 0 << QString("d/m/yyyy dd/mm") << "1/1/1900 01/01";
    QTest::newRow("upper-case letters work too")
        << 46359 << QString("D MMMM YYYY") << "5 December 2026";
}

void TstDate::formatDate() {
    QFETCH(qint32, day);
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QCOMPARE(ClsDate::FormatDate(day, pattern), text);
}

QTEST_MAIN(TstDate)
#include "tst_date.moc"
