#include "BenchSetup.h"

#include "BenchData.h"
#include "ServerCopy.h"

#include "base/ClsIni.h"
#include "base/Messages.h"
#include "base/ProgramFolder.h"
#include "ui/common/ClsForms.h"
#include "ui/controls/ScheduleView.h"
#include "ui/main/DlgMain.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <vector>

BenchSetup::BenchSetup() {
    ProgramFolder::Set(m_dir.path());
    Messages::SetBoxHandler([](Messages::BoxKind, const QString&, const QString& text) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        return false;
    });
}

QString BenchSetup::DbFile() const { return m_dir.filePath(QStringLiteral("Tarvelo.db")); }

bool BenchSetup::PrepareDatabase(const QString& source) {
    if (!source.isEmpty()) {
        if (QFile::copy(source, DbFile()))
            return true;
        std::fprintf(stderr, "cannot copy %s\n", qPrintable(source));
        return false;
    }
    std::printf("Generating the benchmark database...\n");
    const BenchDataCounts counts = GenerateBenchDatabase(DbFile(), 1);
    if (counts.error.isEmpty())
        return true;
    std::fprintf(stderr, "%s\n", qPrintable(counts.error));
    return false;
}

bool BenchSetup::CopyToServer(const QString& uri) const {
    std::printf("Copying it to %s...\n", qPrintable(uri));
    QElapsedTimer copy;
    copy.start();
    const QString error = CopyDatabaseToServer(DbFile(), uri);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "Cannot copy to the server: %s\n", qPrintable(error));
        return false;
    }
    std::printf("  copied in %.1f s\n", copy.elapsed() / 1000.0);
    return true;
}

void BenchSetup::WriteWindowSettings(const QString& dbName) const {
    ClsIni ini;
    ini.SetIniFile(m_dir.filePath(ProgramFolder::ExecutableBaseName() + QStringLiteral(".ini")));
    ini.WriteValue(QStringLiteral("Config"), QStringLiteral("DbName"), dbName);
    ini.WriteValue(QStringLiteral("Config"), QStringLiteral("TimeType"), 2);
    ini.WriteValue(QStringLiteral("Config"), QStringLiteral("LastDate"), BenchData::LargeFirstDate);
    ini.WriteValue(QStringLiteral("Options"), QStringLiteral("DispCustomer"), 1);
}

BenchSetup::Rebuild BenchSetup::TimeRebuilds(DlgMain& main, qint32 group, qint32 date, int runs) {
    Rebuild r;
    main.SetCurrentDate(date);
    ClsForms::SelectItemId(main.CbGroup(), group);
    ScheduleView* sched = main.Sched();
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        sched->Clear();
        malloc_trim(0);
        const size_t before = mallinfo2().uordblks;
        QElapsedTimer t;
        t.start();
        main.ShowResources(0);
        times.push_back(double(t.nsecsElapsed()) / 1e6);
        const size_t after = mallinfo2().uordblks;
        r.bars = 0;
        for (int row = 1; row < sched->RowCount(); ++row)
            r.bars += sched->BarCount(row);
        if (r.bars > 0)
            r.bytesPerBar = double(after - before) / r.bars;
    }
    r.ms = Median(times);
    return r;
}

double BenchSetup::Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
