#pragma once

#include "TestEnv.h"

#include <QString>
#include <QVariant>
#include <memory>

class DlgMain;
class ScheduleView;

// A program folder with a small database written row by row, and the main
// window opened on it at a fixed date.
class MainFixture {
public:
    static constexpr qint32 kToday = 46359; // Saturday 5 December 2026

    MainFixture();
    ~MainFixture();

    void Exec(const QString& sql);
    void Group(int id, const QString& name, int start = 480, int end = 1080, int interval = 15);
    void Resource(int id, int group, const QString& name);
    void Task(int id, int group, const QString& name, qint32 colour);
    void Customer(int id, const QString& name, int group = 0);
    void Booking(int id, int resource, int task, int customer, qint32 date, int start, int end,
                 const QString& comments = QString());
    // Another workstation runs `sql` on the row `id` of `table` as the
    // program writes: with its journal entry, in one write transaction.
    void Journalled(const QString& table, qint32 id, const QString& sql);
    void Setting(const QString& section, const QString& key, const QVariant& value);
    QString IniValue(const QString& section, const QString& key) const;
    // Opens the main window at kToday.
    void Open();
    ScheduleView* Sched() const;

    // The clinic most tests use: group 1 "Clinic" (08:00 to 18:00 by 15
    // minutes) with rooms 10 "Room A" and 11 "Room B" (inserted out of name
    // order), types 20 "Check-up" (green) and 21 "Surgery" (red), contact 30,
    // and bookings 100 to 104 around kToday.
    void Clinic();

    TestEnv env;
    std::unique_ptr<DlgMain> main;
};
