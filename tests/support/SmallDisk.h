#pragma once

#include <QString>

// A small file system of its own (tmpfs) for the tests of full disks: a
// folder that holds `kib` kilobytes and no more, and that can be made
// read-only even for the administrator. Mounting needs the
// administrator's rights; without them Available() is false and Why() says
// why, and the test skips with that reason.
class SmallDisk {
public:
    explicit SmallDisk(int kib = 64);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool Available() const { return m_mounted; }
    QString Why() const { return m_why; }
    QString Path() const { return m_path; }
    // Fills the disk up to its last byte.
    void Fill();
    // Mounts it again read-only: nobody may write there any more.
    bool MakeReadOnly();

private:
    QString m_path;
    QString m_why;
    bool m_mounted = false;
};

#define REQUIRE_SMALL_DISK(disk)                                                                   \
    do {                                                                                           \
        if (!(disk).Available())                                                                   \
            QSKIP(qPrintable((disk).Why()));                                                       \
    } while (false)
