#pragma once

#include <QString>
#include <QStringList>

// The integrity check as the user sees it: the repair of rows that refer to
// missing records, then a report of what it leaves to the user, deleting
// nothing of it: appointments that overlap another of their resource,
// appointments outside their group's day, and rows that a restore of a
// backup would refuse (values that earlier versions stored).
class IntegrityReport {
public:
    // Runs the repair and gathers the report. False when the database could
    // not be read or not every repair could be made; Failure says why.
    bool Run();
    QString Failure() const { return m_failure; }

    // "Removed 1 resources, 0 contacts and 3 appointments that referred to
    // missing records."
    QString RemovedText() const;
    // One sentence on each kind of row left to the user; empty when none.
    QStringList Summary() const;
    // Each of those rows on a line: its group, resource or record, date and
    // times, and what is wrong with it.
    QStringList Details() const { return m_details; }
    int Overlaps() const { return m_overlaps; }
    int OutsideDay() const { return m_outsideDay; }
    int Unrestorable() const { return m_unrestorable; }

private:
    bool Conflicts();

    QString m_failure;
    int m_removed[3] = {0, 0, 0}; // resources, contacts, appointments
    int m_overlaps = 0;
    int m_outsideDay = 0;
    int m_unrestorable = 0;
    QStringList m_details;
};
