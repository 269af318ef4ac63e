#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The ready-to-try database: a small clinic shipped with the program as a
// backup file (data/sample.txt), loaded into a new, empty database with its
// appointments moved to the weeks around the day it is loaded.
class SampleDatabase {
public:
    // The shipped sample backup.
    static QByteArray SampleBackup();
    // The backup with every appointment moved by whole weeks, so that the
    // week of its earliest appointment becomes the week before the one of
    // today; weekdays stay weekdays.
    static QByteArray MoveDates(const QByteArray& backup, qint32 today);
    // True when the open database holds no groups, resources, appointment
    // types, contacts or bookings.
    static bool DatabaseIsEmpty();

    // Loads the sample into the open database when it is empty; an existing
    // database is never touched. Message says what was done or why not.
    static bool Load(QString* message);
};
