#include "base/FileWriter.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

FileWriter::FileWriter(const QString& path) : m_path(path), m_file(path) {}

bool FileWriter::Fail() {
    if (!m_failed) {
        m_failed = true;
        const QString reason = m_out->errorString();
        m_error = QDir::toNativeSeparators(m_path) + QStringLiteral(": ") +
                  (m_out->error() == QFileDevice::NoError || reason.isEmpty()
                       ? QStringLiteral("not all of it could be written")
                       : reason);
        m_error.replace(QLatin1Char('\r'), QLatin1Char(' '))
            .replace(QLatin1Char('\n'), QLatin1Char(' '));
    }
    return false;
}

bool FileWriter::Open() {
    if (m_path == QLatin1String("-")) {
        m_out = &m_direct;
        return m_direct.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered,
                             QFileDevice::DontCloseHandle) || Fail();
    }
    struct stat st {};
    if (::stat(QFile::encodeName(m_path).constData(), &st) == 0 && !S_ISREG(st.st_mode)) {
        if (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode)) {
            // Renaming a new file over a device or a pipe would replace it.
            m_out = &m_direct;
            m_direct.setFileName(m_path);
            return m_direct.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || Fail();
        }
        m_failed = true;
        m_error = QDir::toNativeSeparators(m_path) +
                  (S_ISDIR(st.st_mode)    ? QStringLiteral(": is a folder")
                   : S_ISSOCK(st.st_mode) ? QStringLiteral(": is a socket, not a file")
                                          : QStringLiteral(": is a device, not a file"));
        return false;
    }
    if (!m_file.open(QIODevice::WriteOnly))
        return Fail();
    return true;
}

bool FileWriter::Write(const QByteArray& bytes) {
    if (m_failed)
        return false;
    if (!m_out->isOpen())
        return Fail();
    // A write may take only part of the bytes (the disk filled up); what is
    // left is offered once more, which then names the reason or goes into
    // the buffer whose flush fails.
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = m_out->write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return Fail();
        done += n;
    }
    return true;
}

bool FileWriter::Commit() {
    if (!m_failed && m_out->isOpen() && !m_out->flush())
        Fail();
    if (m_out == &m_direct) {
        m_direct.close();
        return !m_failed;
    }
    if (m_failed) {
        // The temporary file is dropped; the old file stays as it was.
        if (m_file.isOpen())
            m_file.cancelWriting();
        m_file.commit();
        return false;
    }
    if (!m_file.commit())
        return Fail();
    return true;
}

QString FileWriter::Reason() const {
    const QString prefix = QDir::toNativeSeparators(m_path) + QStringLiteral(": ");
    return m_error.startsWith(prefix) ? m_error.mid(prefix.size()) : m_error;
}

bool FileWriter::WriteAll(const QString& path, const QByteArray& bytes, QString* error) {
    FileWriter writer(path);
    const bool ok = writer.Open() && writer.Write(bytes) && writer.Commit();
    if (!ok && error)
        *error = writer.Error();
    return ok;
}
