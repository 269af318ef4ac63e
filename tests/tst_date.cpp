// Day numbers, minutes and their display forms. Durations (ShowMinutes) are
// checked through the labels of the definition windows in tst_definitions.
#include "TestEnv.h"

#include "app/ClsIni.h"
#include "model/ClsDate.h"

#include <QtTest>

class TstDate : public QObject {
    Q_OBJECT

private slots:
    void dateToLong_data();
    void dateToLong();
    void invalidDateLogsAndGivesZero();
    void monthBounds_data();
    void monthBounds();
    void showTime_data();
    void showTime();
    void showTimeReadsSettingOnEveryCall();
    void showTimeBeforeStartIsTwelveHour();
    void getTime_data();
    void getTime();
    void getTimeOutOfRangeLogsAndGivesZero();
    void formatDate_data();
    void formatDate();
};

void TstDate::dateToLong_data() {
    QTest::addColumn<QDate>("date");
    QTest::addColumn<qint32>("number");
    QTest::newRow("1 January 1900 is day 0") << QDate(1900, 1, 1) << 0;
    QTest::newRow("1 March 1900, no 29 February 1900") << QDate(1900, 3, 1) << 59;
    QTest::newRow("31 December 1899 is -1") << QDate(1899, 12, 31) << -1;
    QTest::newRow("29 February 2000") << QDate(2000, 2, 29) << 36583;
    QTest::newRow("31 December 9999") << QDate(9999, 12, 31) << 2958463;
}

void TstDate::dateToLong() {
    QFETCH(QDate, date);
    QFETCH(qint32, number);
    QCOMPARE(ClsDate::DateToLong(date), number);
    QCOMPARE(ClsDate::LongToDate(number), date);
}

void TstDate::invalidDateLogsAndGivesZero() {
    TestEnv env;
    QCOMPARE(ClsDate::DateToLong(QDate()), 0);
    QCOMPARE(env.LogLines(), QStringList{QStringLiteral("Error in ClsDate.DateToLong")});
}

void TstDate::monthBounds_data() {
    QTest::addColumn<qint32>("day");
    QTest::addColumn<qint32>("start");
    QTest::addColumn<qint32>("end");
    QTest::addColumn<qint32>("length");
    const auto n = [](int y, int m, int d) { return ClsDate::DateToLong(QDate(y, m, d)); };
    QTest::newRow("first of February 2000") << n(2000, 2, 1) << n(2000, 2, 1) << 36583 << 29;
    QTest::newRow("last of February 2000") << 36583 << n(2000, 2, 1) << 36583 << 29;
    QTest::newRow("February 1900, not a leap year") << n(1900, 2, 10) << 31 << 58 << 28;
    QTest::newRow("December 1899, before day 0") << -1 << -31 << -1 << 31;
}

void TstDate::monthBounds() {
    QFETCH(qint32, day);
    QFETCH(qint32, start);
    QFETCH(qint32, end);
    QFETCH(qint32, length);
    QCOMPARE(ClsDate::MonthStart(day), start);
    QCOMPARE(ClsDate::MonthEnd(day), end);
    QCOMPARE(ClsDate::MonthLength(day), length);
}

void TstDate::showTime_data() {
    QTest::addColumn<int>("military");
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
}

void TstDate::showTime() {
    QFETCH(int, military);
    QFETCH(int, minutes);
    QFETCH(bool, withAmPm);
    QFETCH(QString, text);
    TestEnv env;
    QVERIFY(env.Start());
    ModMain::Ini().WriteValue(QStringLiteral("Options"), QStringLiteral("UseMilitaryTime"),
                              military);
    QCOMPARE(ClsDate::ShowTime(minutes, withAmPm), text);
}

void TstDate::showTimeReadsSettingOnEveryCall() {
    TestEnv env;
    QVERIFY(env.Start());
    QCOMPARE(ClsDate::ShowTime(810, true), QStringLiteral("01:30 pm"));
    // Another window (the configuration dialog) changes the setting: the next
    // call shows the new form without any restart.
    ModMain::Ini().WriteValue(QStringLiteral("Options"), QStringLiteral("UseMilitaryTime"), 1);
    QCOMPARE(ClsDate::ShowTime(810, true), QStringLiteral("13:30"));
    ModMain::Ini().WriteValue(QStringLiteral("Options"), QStringLiteral("UseMilitaryTime"), 0);
    QCOMPARE(ClsDate::ShowTime(810, true), QStringLiteral("01:30 pm"));
}

void TstDate::showTimeBeforeStartIsTwelveHour() {
    TestEnv env;
    QCOMPARE(ClsDate::ShowTime(900, true), QStringLiteral("03:00 pm"));
    QVERIFY(env.LogLines().isEmpty());
}

void TstDate::getTime_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("minutes");
    QTest::newRow("two-digit hour") << "09:30" << 570;
    QTest::newRow("one-digit minutes 7:5") << "7:5" << 425;
    QTest::newRow("no colon") << "12" << 0;
    QTest::newRow("nothing before the colon") << ":30" << 30;
    QTest::newRow("pm suffix is not looked at") << "01:05 pm" << 65;
    QTest::newRow("leading blanks skipped") << "  9:  15" << 555;
    QTest::newRow("empty text") << "" << 0;
    QTest::newRow("end of day") << "24:00" << 1440;
    QTest::newRow("seconds after a second colon") << "9:30:15" << 570;
    QTest::newRow("decimal hours") << "1.5:00" << 90;
    QTest::newRow("half rounds to even, down") << "0:2.5" << 2;
    QTest::newRow("half rounds to even, up") << "0:1.5" << 2;
    QTest::newRow("negative hours") << "-1:30" << -30;
    QTest::newRow("reading stops at a letter") << "9h:30m" << 570;
}

void TstDate::getTime() {
    QFETCH(QString, text);
    QFETCH(int, minutes);
    QCOMPARE(int(ClsDate::GetTime(text)), minutes);
}

void TstDate::getTimeOutOfRangeLogsAndGivesZero() {
    TestEnv env;
    QCOMPARE(int(ClsDate::GetTime(QStringLiteral("999:00"))), 0);
    QCOMPARE(env.LogLines(), QStringList{QStringLiteral("Error in ClsDate.GetTime")});
}

void TstDate::formatDate_data() {
    QTest::addColumn<qint32>("day");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    QTest::newRow("weekday in full")
        << 46359 << QString("dddd d mmmm yyyy") << "Saturday 5 December 2026";
    QTest::newRow("short month, two-digit day") << 46359 << QString("dd mmm yyyy") << "05 Dec 2026";
    QTest::newRow("numeric with two-digit year") << 46359 << QString("dd/mm/yy") << "05/12/26";
    QTest::newRow("short weekday") << 36583 << QString("ddd d mmm") << "Tue 29 Feb";
    QTest::newRow("single digits") << 0 << QString("d/m/yyyy") << "1/1/1900";
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
