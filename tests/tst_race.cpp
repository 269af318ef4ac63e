// Two workstations racing for the same slots: the executable starts itself twice with
// "--race-child" (each with its own program folder on one database). At every round both at once
// book resource 1 at 10:00-11:00 (one may store it), book their own resource (each gets its own
// row's identifier), take a repeat identifier (same machine tag), and change a booking of
// resource 4 onto 10:00-11:00, one by moving it and one by stretching it (one may store it).

#include "TestEnv.h"

#include "base/Messages.h"
#include "base/ProgramFolder.h"
#include "data/ClsDAO.h"
#include "data/Database.h"
#include "frame/ModMain.h"
#include "model/ClsBooking.h"
#include "model/Records.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTextStream>
#include <QtTest>

namespace {

constexpr int kRounds = 100;
constexpr int kFirstDate = 45000;
constexpr int kSharedResource = 1;
constexpr int kMoveResource = 4;

// The child's side: folder, database path, name, own resource, rounds.
int RunChild(const QStringList& args) {
    if (args.size() != 5)
        return 2;
    const QString folder = args[0];
    const QString name = args[2];
    const qint32 ownResource = args[3].toInt();
    const int rounds = args[4].toInt();
    ProgramFolder::Set(folder);
    Messages::SetBoxHandler(
        [](Messages::BoxKind, const QString&, const QString&) { return false; });
    {
        QFile ini(
            ProgramFolder::FilePath(ProgramFolder::ExecutableBaseName() + QStringLiteral(".ini")));
        if (!ini.open(QIODevice::WriteOnly))
            return 2;
        ini.write("[Config]\r\nDbName=" + args[1].toUtf8() + "\r\n");
    }
    if (!ModMain::Initialise())
        return 3;
    QTextStream in(stdin);
    QTextStream out(stdout);
    out << "ready" << Qt::endl;
    for (int round = 0; round < rounds; ++round) {
        if (in.readLine() != QStringLiteral("go %1").arg(round))
            return 4;
        ClsBooking& b = Records::Booking();
        const auto book = [&](qint32 resource, const QString& comments) {
            b.InitBfr();
            b.SetResourceId(resource);
            b.SetTaskId(1);
            b.SetBookingDate(kFirstDate + round);
            b.SetBookingStart(600);
            b.SetBookingEnd(660);
            b.SetComments(comments);
            return b.Save();
        };
        const qint32 shared = book(kSharedResource, name);
        const qint32 own = book(ownResource, name + QStringLiteral(" own"));
        const qint32 repeat = b.NextRepeatId();
        // The first child's booking of resource 4 starts at 08:00 and moves; the second's
        // starts at 12:00 and is stretched back to 10:00.
        const bool mover = ownResource == 2;
        const Recordset rs = Database::DAO().SqlQuery(
            QString("select BookingId from tblBookings where ResourceId = %1 and BookingDate = %2 and "
                    "BookingStart = %3").arg(kMoveResource).arg(kFirstDate + round).arg(mover ? 480 : 720));
        if (rs.Eof() || !b.Load(rs.Fields(0).Long()))
            return 5;
        b.SetBookingStart(600);
        if (mover)
            b.SetBookingEnd(660);
        const qint32 moved = b.Save();
        out << "result " << round << ' ' << shared << ' ' << own << ' ' << repeat << ' ' << moved << Qt::endl;
    }
    ModMain::Terminate();
    return 0;
}

QString ReadLine(QProcess& process) {
    while (!process.canReadLine())
        if (!process.waitForReadyRead(60000))
            return QString();
    return QString::fromUtf8(process.readLine()).trimmed();
}

} // namespace

class TstRace : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { REQUIRE_TEST_ENGINE(); }
    void twoWorkstationsRaceForTheSameSlots();
};

void TstRace::twoWorkstationsRaceForTheSameSlots() {
    TestEnv env;
    QVERIFY(env.CreateDatabase());
    env.Sql("insert into tblResources (ResourceId, GroupId, ResourceName, MinTime, MaxTime, "
            "InitTime) values (1, 1, 'shared', 5, 60, 5), (2, 1, 'A', 5, 60, 5), "
            "(3, 1, 'B', 5, 60, 5), (4, 1, 'moves', 5, 60, 5)");
    env.Sql("insert into tblTasks (TaskId, GroupId, TaskName, Colour, MinTime, MaxTime, InitTime) "
            "values (1, 1, 'Visit', 0, 5, 60, 5)");
    // Per round, the two bookings of resource 4 that the children change.
    env.Sql(QString("with recursive n(i) as (select 0 union all select i + 1 from n where i < %1) insert "
                    "into tblBookings (ResourceId, TaskId, CustomerId, BookingDate, BookingStart, BookingEnd, "
                    "RepeatId, Ref01, Ref02, Ref03, Comments) select %2, 1, 0, %3 + i, s, s + 60, 0, '', '', "
                    "'', '' from n, (select 480 as s union all select 720) as starts")
                .arg(kRounds - 1).arg(kMoveResource).arg(kFirstDate));

    const QStringList names{QStringLiteral("A"), QStringLiteral("B")};
    QProcess children[2];
    for (int c = 0; c < 2; ++c) {
        const QString folder = env.Path(names[c]);
        QVERIFY(QDir().mkpath(folder));
        children[c].setProcessChannelMode(QProcess::ForwardedErrorChannel);
        children[c].start(QCoreApplication::applicationFilePath(),
                          {QStringLiteral("--race-child"), folder, env.DbPath(), names[c],
                           QString::number(2 + c), QString::number(kRounds)});
        QVERIFY(children[c].waitForStarted());
    }
    for (QProcess& child : children)
        QCOMPARE(ReadLine(child), QStringLiteral("ready"));

    // Per round and child: the identifiers returned.
    QList<qint32> shared[2], own[2], repeats[2], moved[2];
    for (int round = 0; round < kRounds; ++round) {
        // Both get the word before either is waited for (QProcess sends only while waited on).
        for (QProcess& child : children)
            child.write(QStringLiteral("go %1\n").arg(round).toUtf8());
        for (QProcess& child : children)
            QVERIFY(child.waitForBytesWritten(60000));
        for (int c = 0; c < 2; ++c) {
            const QStringList parts = ReadLine(children[c]).split(QLatin1Char(' '));
            QCOMPARE(parts.size(), 6);
            QCOMPARE(parts[1].toInt(), round);
            shared[c] << parts[2].toInt();
            own[c] << parts[3].toInt();
            repeats[c] << parts[4].toInt();
            moved[c] << parts[5].toInt();
        }
    }
    for (QProcess& child : children) {
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
    }

    for (int round = 0; round < kRounds; ++round) {
        const QByteArray what = QByteArray("round ") + QByteArray::number(round);
        // Exactly one booking of the shared slot, and its owner was told so;
        // of the move and the stretch onto one time exactly one was stored.
        QVERIFY2((shared[0][round] == 0) != (shared[1][round] == 0), what);
        QVERIFY2((moved[0][round] == 0) != (moved[1][round] == 0), what);
        const int winner = shared[0][round] != 0 ? 0 : 1;
        const QString where =
            QString(" from tblBookings where ResourceId = 1 and BookingDate = %1").arg(kFirstDate + round);
        QCOMPARE(env.Sql("select count(*)" + where).toInt(), 1);
        QCOMPARE(env.Sql("select BookingId" + where).toInt(), shared[winner][round]);
        QCOMPARE(env.Sql("select Comments" + where).toString(), names[winner]);
        // Each own booking was stored and its identifier is that row's.
        for (int c = 0; c < 2; ++c)
            QCOMPARE(env.Sql(QString("select Comments from tblBookings where BookingId = %1").arg(own[c][round]))
                         .toString(), names[c] + " own");
    }
    // Resource 4 holds no two bookings that overlap.
    QCOMPARE(env.Sql("select count(*) from tblBookings a, tblBookings b where a.ResourceId = 4 and b.ResourceId = 4 "
                     "and a.BookingDate = b.BookingDate and a.BookingId < b.BookingId and a.BookingStart < "
                     "b.BookingEnd and b.BookingStart < a.BookingEnd").toInt(), 0);
    QCOMPARE(env.Sql("select count(*) from tblBookings").toInt(), 5 * kRounds);

    // No repeat identifier was handed to both workstations.
    QSet<qint32> seen(repeats[0].begin(), repeats[0].end());
    seen.unite(QSet<qint32>(repeats[1].begin(), repeats[1].end()));
    QCOMPARE(seen.size(), 2 * kRounds);
    QVERIFY(!seen.contains(0));

    // Neither workstation met a locked database or any other failure.
    for (const QString& name : names) {
        QFile log(QDir(env.Path(name)).filePath(QStringLiteral("Error.txt")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(log.readAll());
        QVERIFY2(!text.contains(QStringLiteral("locked"), Qt::CaseInsensitive) && !text.contains("failed") &&
                     !text.contains("Error in"), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("Closing down")));
    }
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() > 1 && args[1] == QLatin1String("--race-child"))
        return RunChild(args.mid(2));
    TstRace test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_race.moc"
