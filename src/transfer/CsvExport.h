#pragma once

#include <QString>
#include <QtGlobal>

// The CSV export of one resource's bookings: the file "Export/<name>.csv" in
// the program folder, a header line and one line per booking in date and
// start order, every line ending in CR LF. Numbers are written with a blank
// where a minus sign would stand and a blank after them; texts in double
// quotes, with a double quote inside a text doubled as CSV readers expect.
class CsvExport {
public:
    static QString Header();
    // A number as the export writes it: " 42 ", "-5 ".
    static QString NumberField(qint64 value);
    // A text as the export writes it: "text", with inner quotes doubled.
    static QString TextField(const QString& text);

    static QString ExportFolder();
    // The file of a resource: its name as the file name, except that a
    // character that cannot stand in a file name ("/" and control
    // characters) is written as "_", so the file always lies in the folder.
    static QString ExportPath(const QString& resourceName);

    // Writes the bookings of a resource to ExportPath(resourceName), replacing
    // an earlier file of that name only once the new one is complete. True
    // on success; Failure then is empty.
    bool Export(qint32 resourceId, const QString& resourceName);
    QString Path() const { return m_path; }
    int Lines() const { return m_lines; }
    QString Failure() const { return m_failure; }

private:
    QString m_path;
    int m_lines = 0;
    QString m_failure;
};
