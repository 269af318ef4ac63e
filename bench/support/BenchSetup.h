#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>

#include <vector>

class DlgMain;

// What the main window's benchmarks share: a program folder of their own
// with message boxes printed instead of shown, the benchmark database in it
// (generated, or copied from a file), its copy on a server for the server
// form, the settings the window opens with, and the timed rebuild.
class BenchSetup {
public:
    struct Rebuild {
        double ms = 0; // median of the runs
        int bars = 0;
        double bytesPerBar = 0; // heap held by the view's bars afterwards
    };

    BenchSetup();
    // Generates the benchmark database, or copies `source` when it is given;
    // false (with the reason printed) when neither works.
    bool PrepareDatabase(const QString& source = QString());
    // Copies the database to the server database `uri` names (replacing it);
    // false with the reason printed.
    bool CopyToServer(const QString& uri) const;
    QString Folder() const { return m_dir.path(); }
    QString DbFile() const;
    // The settings the window starts with: the database, the week
    // resolution at the large group's first date, contact names on the bars.
    void WriteWindowSettings(const QString& dbName) const;

    // The window's ShowResources for a group and date, median of `runs`.
    static Rebuild TimeRebuilds(DlgMain& main, qint32 group, qint32 date, int runs);
    static double Median(std::vector<double> values);

private:
    QTemporaryDir m_dir;
};
