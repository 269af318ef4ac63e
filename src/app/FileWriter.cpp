#include "app/FileWriter.h"

#include <QDir>
#include <QFileInfo>

FileWriter::FileWriter(const QString& path) : m_path(path), m_file(path) {}

bool FileWriter::Fail() {
    if (!m_failed) {
        m_failed = true;
        const QString reason = m_file.errorString();
        m_error = QDir::toNativeSeparators(m_path) + QStringLiteral(": ") +
                  (m_file.error() == QFileDevice::NoError || reason.isEmpty()
                       ? QStringLiteral("not all of it could be written")
                       : reason);
        m_error.replace(QLatin1Char('\r'), QLatin1Char(' '))
            .replace(QLatin1Char('\n'), QLatin1Char(' '));
    }
    return false;
}

bool FileWriter::Open() {
    if (QFileInfo(m_path).isDir()) {
        m_failed = true;
        m_error = QDir::toNativeSeparators(m_path) + QStringLiteral(": is a folder");
        return false;
    }
    if (!m_file.open(QIODevice::WriteOnly))
        return Fail();
    return true;
}

bool FileWriter::Write(const QByteArray& bytes) {
    if (m_failed)
        return false;
    if (!m_file.isOpen())
        return Fail();
    // A write may take only part of the bytes (the disk filled up); what is
    // left is offered once more, which then names the reason or goes into
    // the buffer whose flush fails.
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = m_file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return Fail();
        done += n;
    }
    return true;
}

bool FileWriter::Commit() {
    if (!m_failed && m_file.isOpen() && !m_file.flush())
        Fail();
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
