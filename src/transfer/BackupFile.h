#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class QIODevice;

// The backup file: the whole database as text, one record per line, lines
// ending in CR LF. Each line is a record kind ("G" group, "R" resource, "T"
// appointment type, "C" contact, "A" appointment) followed by its fields,
// each preceded by "~". Names stand in for identifiers, so a backup can be
// loaded into any database.
//
// Three more kinds keep a restore from going wrong; an older version of the
// program skips them as lines of an unknown kind and reads the rest as
// before:
// - "H~Tarvelo backup~1", the header: the first line of a file that is
//   written with its closing line. A file that starts with it and lacks its
//   closing line was cut short and is refused; a file with neither (an older
//   backup) is read as it is.
// - "E~groups~resources~types~contacts~appointments", the closing line: how
//   many lines of each kind the file holds. A file that has it must match
//   it and end there; a file without it (an older backup) is read as it is.
// - "K~resource~type~contact~id", a reference line, precedes each
//   appointment: it gives its resource, appointment type and contact by
//   their places among the group's "R", "T" and "C" lines (1 for the first;
//   0 for no type or no contact), so that each appointment comes back to its
//   own record whatever the names (a name the group holds twice, letter case
//   aside; an empty name; a contact not linked to the group), and the
//   appointment's identifier, so that it keeps its calendar UID. The header
//   carries the database's calendar identity as its fourth field.
//
// A text holding "~", a carriage return or a line feed could not be written
// plainly without splitting its line, so such a text is written with escapes
// introduced by the control character DLE (U+0010): DLE "T" for "~", DLE "R"
// for CR, DLE "N" for LF and DLE "D" for DLE itself. Every other text is
// written as it is, so a database without these characters gives exactly the
// plain file. Files are UTF-8 (plain ASCII for ASCII text); a line that is
// not valid UTF-8 is read as Latin-1.
class BackupFile {
public:
    struct Counts {
        int groups = 0;
        int resources = 0;
        int tasks = 0;
        int contacts = 0;
        int bookings = 0;
        int withoutContact = 0;
        int withoutType = 0;
    };

    // Field n of a backup line: the kind for n = 1, the text between the
    // (n-1)-th and the n-th "~" after that, the rest of the line for the last
    // field, and empty text for n = 0 or a field past the end of the line.
    static QString GetField(const QString& line, int n);
    // A text value as written into a field, and back.
    static QString EncodeText(const QString& text);
    static QString DecodeText(const QString& field);

    // The folder "Backup" in the program folder, and the backup file of a day
    // in it: yyyymmdd.txt.
    static QString BackupFolder();
    static QString BackupPath(qint32 dayNumber);

    // A line that a restore would refuse: where, what it holds (its group
    // and record) and why.
    struct Problem {
        int line = 0;
        QString subject;
        QString reason;
    };

    // Today's backup: creates the folder (an existing one is no error) and
    // writes the file; path receives the file name used.
    bool BackupToday(QString* path);
    // Writes the whole database to path from one snapshot (a restore on
    // another workstation meanwhile is wholly in it or not at all). The text
    // is read back as a restore reads it first: one that a restore would
    // refuse is kept under RefusedPath instead, and Warnings lists its
    // refused lines. The file is replaced only once it is complete: a failed
    // backup (a full disk) leaves an earlier file of that name as it was.
    // True when the whole file was written. Warnings tells what the user
    // should know of it.
    bool BackupDb(const QString& path);
    // The backup of the whole database as text, from one snapshot.
    bool BackupText(QByteArray* text);
    // Reads a backup's text as a restore reads it, without touching the
    // database: every line a restore would refuse, in file order.
    static QList<Problem> Check(const QByteArray& text);
    // "Line 12 (group "Clinic", resource "Room A"): reason." and a list of
    // the first `shown` of them.
    static QString DescribeProblem(const Problem& problem);
    static QStringList DescribeProblems(const QList<Problem>& problems, int shown);
    // Where a backup that a restore would refuse is kept: "name.refused.txt".
    static QString RefusedPath(const QString& path);

    // Replaces the whole database with the contents of a backup file, with or
    // without its appointments. All or nothing: the restore runs as one write
    // transaction on the shared connection, and on any failure (a file that
    // cannot be read, a file without a single record, a number that is not a
    // whole number in its range, an appointment whose resource or type is
    // not in its group of the file, a closing line that does not match, a
    // header without a closing line (a file cut short), a statement that
    // fails) the database keeps its previous contents;
    // FailedLine and Failure say where and why. A pipe is read to its end
    // (one that nobody writes into is refused after a few seconds). True
    // when the whole file was loaded.
    bool RestoreDb(const QString& path, bool addAppointments);
    // True when the last line of the file that holds text is a closing line:
    // the file was written by a version that closes its backups, and whole.
    static bool HasClosingLine(const QString& path);
    // The same from an open device; sourceName names it in messages.
    bool Restore(QIODevice& in, bool addAppointments, const QString& sourceName);

    // After a failure: the line of the file (1 for the first; 0 when the
    // failure concerns the file or the database as a whole) and why.
    int FailedLine() const { return m_failedLine; }
    QString Failure() const { return m_failure; }
    // One sentence for the user: which file (and line) failed, and why.
    QString FailureText() const;
    // What the last backup wrote or the last restore stored.
    Counts LastCounts() const { return m_counts; }
    // What the last backup found that the user should know: names that only
    // letter case tells apart, appointments written without their type or
    // contact.
    QStringList Warnings() const { return m_warnings; }
    static QString DescribeCounts(const Counts& counts);
    // What a restore with these counts stored without a link (appointments
    // without their appointment type or contact); empty when nothing.
    static QString RestoreNote(const Counts& counts);

private:
    void Start(const QString& sourceName);
    [[noreturn]] void Fail(int line, const QString& reason);

    int m_failedLine = 0;
    QString m_failure;
    QString m_source;
    Counts m_counts;
    QStringList m_warnings;
};
