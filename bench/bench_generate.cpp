// Writes the benchmark database: bench_generate PATH [SEED]
#include "BenchData.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2 || args.size() > 3) {
        std::fprintf(stderr, "usage: bench_generate PATH [SEED]\n");
        return 2;
    }
    quint64 seed = 1;
    if (args.size() == 3) {
        bool ok = false;
        seed = args.at(2).toULongLong(&ok);
        if (!ok) {
            std::fprintf(stderr, "SEED must be a whole number\n");
            return 2;
        }
    }
    const QString path = args.at(1);
    const BenchDataCounts counts = GenerateBenchDatabase(path, seed);
    if (!counts.error.isEmpty()) {
        std::fprintf(stderr, "bench_generate failed: %s\n", qPrintable(counts.error));
        return 1;
    }
    std::printf("database            %s (seed %llu, %.1f MB)\n", qPrintable(path),
                static_cast<unsigned long long>(seed), QFileInfo(path).size() / 1048576.0);
    std::printf("groups              %d (large group id %d)\n", counts.groups,
                BenchData::LargeGroupId);
    std::printf("resources           %d\n", counts.resources);
    std::printf("appointment types   %d\n", counts.tasks);
    std::printf("contacts            %d with %d group links\n", counts.contacts,
                counts.contactLinks);
    std::printf("bookings            %d (%d in the large group)\n", counts.bookings,
                counts.largeGroupBookings);
    std::printf("time                %.2f s\n", counts.milliseconds / 1000.0);
    return 0;
}
