#pragma once

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <QString>

// Writes a file whole or not at all: the text goes into a temporary file
// beside the old one, and only when every byte of it was written and flushed
// does it take the old file's place. A short write (a full disk, a quota)
// is a failure, not a cut file: the old file stays, and Error() names the
// file and the system's reason on one line.
//
// Only a regular file is ever replaced. A device or a pipe (and "-", the
// standard output) takes the bytes straight, with no old file to keep; any
// other kind of file (a folder, a socket) is refused with what it is.
class FileWriter {
public:
    explicit FileWriter(const QString& path);
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    bool Open();
    // False once anything could not be written; later writes do nothing.
    bool Write(const QByteArray& bytes);
    // Flushes and puts the file in place; false (the old file kept) when any
    // write, the flush or the rename failed.
    bool Commit();
    bool Failed() const { return m_failed; }
    QString Error() const { return m_error; }
    // The reason alone, for callers that name the file themselves.
    QString Reason() const;

    // Open, Write and Commit in one call; `error` takes the reason.
    static bool WriteAll(const QString& path, const QByteArray& bytes, QString* error = nullptr);

private:
    bool Fail();

    QString m_path;
    QSaveFile m_file;
    QFile m_direct;
    // m_file, or m_direct for a device or a pipe.
    QFileDevice* m_out = &m_file;
    bool m_failed = false;
    QString m_error;
};
