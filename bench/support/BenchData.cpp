#include "BenchData.h"

#include "data/DbSchema.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>
#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace {

// SplitMix64: tiny, and the same sequence for a seed on every platform
// (the standard distributions are not).
class Random {
public:
    explicit Random(quint64 seed) : m_state(seed) {}
    quint64 Next() {
        quint64 z = (m_state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    int Below(int n) { return int(Next() % quint64(n)); }

private:
    quint64 m_state;
};

struct GroupPlan {
    const char* name;
    const char* resourceStem;
    int dayStart;
    int dayEnd;
    int interval;
};

// Every working day holds at least 20 slots, so that the bookings drawn for
// a resource and day always find room.
const GroupPlan kGroups[] = {
    {"Meeting Rooms", "Meeting Room", 480, 1080, 30},
    {"Consultants", "Consultant", 540, 1020, 15},
    {"Workshop Machines", "Machine", 360, 1320, 30},
    {"Company Cars", "Car", 0, 1440, 60},
    {"Laboratory", "Lab Bench", 480, 1200, 30},
    {"Training Rooms", "Training Room", 480, 1080, 30},
    {"Technicians", "Technician", 420, 1020, 15},
    {"Sound Studios", "Studio", 600, 1380, 30},
    {"Therapists", "Therapist", 540, 1140, 15},
    {"Printing Presses", "Press", 360, 1320, 30},
    {"Hot Desks", "Desk", 420, 1140, 30},
};

const char* const kTaskNames[] = {"Consultation", "Follow-up",  "Maintenance", "Training",
                                  "Inspection",   "Review",     "Installation", "Meeting",
                                  "Workshop",     "Assessment", "Repair",      "Demonstration",
                                  "Interview",    "Planning",   "Cleaning"};

// Colours as stored: red in the lowest byte.
const qint32 kTaskColours[] = {0x0000FF, 0x00A5FF, 0x00D7FF, 0x32CD32, 0x228B22,
                               0xFFBF00, 0xE16941, 0x82004B, 0xEE82EE, 0x7AA0FF,
                               0x8B8B00, 0x808080, 0x2A2AA5, 0xD4FF7F, 0xCBC0FF};

const char* const kFirstNames[] = {
    "Anna",   "Ben",    "Clara", "David",  "Emma",   "Felix", "Grace",  "Henry", "Ida",
    "Jonas",  "Katrin", "Liam",  "Maria",  "Noah",   "Olivia", "Paul",  "Quinn", "Rosa",
    "Samuel", "Tara",   "Umar",  "Vera",   "Walter", "Xenia", "Yusuf",  "Zoe",   "Amir",
    "Bianca", "Carlos", "Dana",  "Elias",  "Fatima", "Georg", "Hannah", "Ivan",  "Julia",
    "Karl",   "Lena",   "Marco", "Nadia"};
const char* const kSurnames[] = {
    "Keller",  "Smith",   "Novak",   "Garcia",  "Jensen",  "Rossi",   "Dubois",  "Nowak",
    "Murphy",  "Lindqvist", "Costa", "Weber",   "Brown",   "Kowalski", "Santos", "Meyer",
    "Larsen",  "Moreau",  "Fischer", "O'Neil",  "Horvat",  "Petrov",  "Schulz",  "Wilson",
    "Bauer",   "Silva",   "Taylor",  "Nielsen", "Marino",  "Becker",  "Kuznetsov", "Lopez",
    "Clarke",  "Hoffmann", "Eriksen", "Bianchi", "Walsh",  "Zimmer",  "Duarte",  "Young",
    "Hughes",  "Koch",    "Berg",    "Ferreira", "Lambert", "Wagner", "Kelly",   "Richter",
    "Fontaine", "Haas"};
const char* const kCities[] = {"Amsterdam", "Berlin", "Cork",  "Dublin", "Edinburgh",
                               "Florence",  "Graz",   "Hamburg", "Lyon", "Porto"};
const char* const kComments[] = {"",
                                 "",
                                 "",
                                 "Bring the signed form",
                                 "Second visit",
                                 "Parking space reserved",
                                 "Call before arrival",
                                 "Invoice to head office"};

constexpr int kOrdinaryResources = BenchData::OrdinaryGroups * BenchData::ResourcesPerGroup;

void Exec(QSqlQuery& q) {
    if (!q.exec())
        throw std::runtime_error(q.lastError().text().toStdString() + " (" +
                                 q.lastQuery().toStdString() + ")");
}

void Exec(QSqlQuery& q, const QString& sql) {
    if (!q.exec(sql))
        throw std::runtime_error(q.lastError().text().toStdString() + " (" + sql.toStdString() +
                                 ")");
}

int CountRows(QSqlQuery& q, const QString& sql) {
    Exec(q, sql);
    return q.next() ? q.value(0).toInt() : -1;
}

// Draws the bookings of one group: a resource and a day at random, then the
// next free place on that resource's day after a gap of zero or one slot.
void FillBookings(QSqlQuery& insert, Random& rng, const GroupPlan& plan, qint32 firstResource,
                  int resources, qint32 firstTask, qint32 firstDate, int days, int count,
                  const std::vector<qint32>& members, int& refCounter) {
    std::vector<int> nextFree(size_t(resources) * size_t(days), plan.dayStart);
    for (int n = 0; n < count; ++n) {
        while (true) {
            const int r = rng.Below(resources);
            const int d = rng.Below(days);
            int& cursor = nextFree[size_t(r) * size_t(days) + size_t(d)];
            const int task = rng.Below(BenchData::TasksPerGroup);
            const int start = cursor + plan.interval * rng.Below(2);
            const int end = start + plan.interval * (1 + rng.Below(4));
            if (end > plan.dayEnd) {
                cursor = plan.dayEnd; // this day is full
                continue;
            }
            cursor = end;
            const bool withContact = !members.empty() && rng.Below(4) != 0;
            insert.bindValue(0, firstResource + r);
            insert.bindValue(1, firstTask + task);
            insert.bindValue(2, withContact ? members[size_t(rng.Below(int(members.size())))] : 0);
            insert.bindValue(3, firstDate + d);
            insert.bindValue(4, start);
            insert.bindValue(5, end);
            insert.bindValue(6, QStringLiteral("REF-%1").arg(++refCounter, 6, 10, QLatin1Char('0')));
            insert.bindValue(7, rng.Below(3) == 0 ? QStringLiteral("Priority") : QString(""));
            insert.bindValue(8, QString(""));
            insert.bindValue(9, QString::fromLatin1(kComments[rng.Below(8)]));
            Exec(insert);
            break;
        }
    }
}

void Fill(QSqlDatabase& db, quint64 seed) {
    Random rng(seed);
    QSqlQuery q(db);
    const int groupCount = int(std::size(kGroups));
    std::vector<std::vector<qint32>> members(size_t(groupCount + 1));

    q.prepare(QStringLiteral("insert into tblGroups (GroupId, GroupName, DayStart, DayEnd, "
                             "Interval) values (?, ?, ?, ?, ?)"));
    for (int g = 0; g < groupCount; ++g) {
        q.bindValue(0, g + 1);
        q.bindValue(1, QString::fromLatin1(kGroups[g].name));
        q.bindValue(2, kGroups[g].dayStart);
        q.bindValue(3, kGroups[g].dayEnd);
        q.bindValue(4, kGroups[g].interval);
        Exec(q);
    }

    q.prepare(QStringLiteral("insert into tblResources (ResourceId, GroupId, ResourceName, "
                             "MinTime, MaxTime, InitTime) values (?, ?, ?, ?, ?, ?)"));
    qint32 resourceId = 0;
    for (int g = 0; g < groupCount; ++g) {
        const bool large = g + 1 == BenchData::LargeGroupId;
        const int n = large ? BenchData::LargeGroupResources : BenchData::ResourcesPerGroup;
        const GroupPlan& plan = kGroups[g];
        for (int i = 1; i <= n; ++i) {
            q.bindValue(0, ++resourceId);
            q.bindValue(1, g + 1);
            q.bindValue(2, QStringLiteral("%1 %2")
                               .arg(QString::fromLatin1(plan.resourceStem))
                               .arg(i, large ? 4 : 2, 10, QLatin1Char('0')));
            q.bindValue(3, plan.interval);
            q.bindValue(4, plan.dayEnd - plan.dayStart);
            q.bindValue(5, 2 * plan.interval);
            Exec(q);
        }
    }

    q.prepare(QStringLiteral("insert into tblTasks (TaskId, GroupId, TaskName, Colour, MinTime, "
                             "MaxTime, InitTime) values (?, ?, ?, ?, ?, ?, ?)"));
    for (int g = 0; g < groupCount; ++g) {
        for (int t = 0; t < BenchData::TasksPerGroup; ++t) {
            q.bindValue(0, g * BenchData::TasksPerGroup + t + 1);
            q.bindValue(1, g + 1);
            q.bindValue(2, QString::fromLatin1(kTaskNames[t]));
            q.bindValue(3, kTaskColours[t]);
            q.bindValue(4, kGroups[g].interval);
            q.bindValue(5, 4 * kGroups[g].interval);
            q.bindValue(6, 2 * kGroups[g].interval);
            Exec(q);
        }
    }

    // Contacts: every first name with every surname once, in an order drawn
    // from the seed.
    std::vector<int> order(BenchData::Contacts);
    for (int i = 0; i < BenchData::Contacts; ++i)
        order[size_t(i)] = i;
    for (int i = BenchData::Contacts - 1; i > 0; --i)
        std::swap(order[size_t(i)], order[size_t(rng.Below(i + 1))]);
    QSqlQuery link(db);
    link.prepare(QStringLiteral("insert into tblCustomerGroups (CustomerId, GroupId) values "
                                "(?, ?)"));
    q.prepare(QStringLiteral("insert into tblCustomers (CustomerId, CustomerName, Ref01, Ref02, "
                             "Ref03) values (?, ?, ?, ?, ?)"));
    const int firstNames = int(std::size(kFirstNames));
    for (int c = 0; c < BenchData::Contacts; ++c) {
        const QString first = QString::fromLatin1(kFirstNames[order[size_t(c)] % firstNames]);
        const QString last = QString::fromLatin1(kSurnames[order[size_t(c)] / firstNames]);
        const qint32 id = c + 1;
        q.bindValue(0, id);
        q.bindValue(1, first + QLatin1Char(' ') + last);
        q.bindValue(2, QStringLiteral("0%1").arg(qint64(1000000000) + qint64(rng.Below(900000000))));
        q.bindValue(3, (first + QLatin1Char('.') + last).toLower().remove(QLatin1Char('\'')) +
                           QStringLiteral("@example.com"));
        q.bindValue(4, QString::fromLatin1(kCities[rng.Below(int(std::size(kCities)))]));
        Exec(q);
        const int links = 1 + rng.Below(3);
        std::vector<int> chosen;
        while (int(chosen.size()) < links) {
            const int g = 1 + rng.Below(groupCount);
            if (std::find(chosen.begin(), chosen.end(), g) != chosen.end())
                continue;
            chosen.push_back(g);
            members[size_t(g)].push_back(id);
            link.bindValue(0, id);
            link.bindValue(1, g);
            Exec(link);
        }
    }

    q.prepare(QStringLiteral("insert into tblBookings (ResourceId, TaskId, CustomerId, "
                             "BookingDate, BookingStart, BookingEnd, RepeatId, Ref01, Ref02, "
                             "Ref03, Comments) values (?, ?, ?, ?, ?, ?, 0, ?, ?, ?, ?)"));
    int refCounter = 0;
    const int perGroup = BenchData::OrdinaryBookings / BenchData::OrdinaryGroups;
    for (int g = 0; g < BenchData::OrdinaryGroups; ++g)
        FillBookings(q, rng, kGroups[g], g * BenchData::ResourcesPerGroup + 1,
                     BenchData::ResourcesPerGroup, g * BenchData::TasksPerGroup + 1,
                     BenchData::YearFirstDate, BenchData::YearDays, perGroup,
                     members[size_t(g + 1)], refCounter);
    FillBookings(q, rng, kGroups[BenchData::LargeGroupId - 1], kOrdinaryResources + 1,
                 BenchData::LargeGroupResources,
                 BenchData::OrdinaryGroups * BenchData::TasksPerGroup + 1,
                 BenchData::LargeFirstDate, BenchData::LargeDays, BenchData::LargeGroupBookings,
                 members[size_t(BenchData::LargeGroupId)], refCounter);

    Exec(q, QStringLiteral("insert or replace into tblProperties (PropName, PropValue) values "
                           "('LastUpdated', '0')"));
}

} // namespace

BenchDataCounts GenerateBenchDatabase(const QString& path, quint64 seed) {
    BenchDataCounts counts;
    QElapsedTimer clock;
    clock.start();
    for (const QString& file : {path, path + QStringLiteral("-journal")})
        if (QFile::exists(file) && !QFile::remove(file)) {
            counts.error = QStringLiteral("cannot replace ") + file;
            return counts;
        }
    counts.error = DbSchema::CreateDatabase(path);
    if (!counts.error.isEmpty())
        return counts;
    const QString name = QStringLiteral("bench-generate-") + QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open()) {
            counts.error = db.lastError().text();
        } else {
            try {
                QSqlQuery q(db);
                // A half-written file is of no use anyway: no journal on disk,
                // no waiting for the disk, and room to keep the pages in memory.
                Exec(q, QStringLiteral("pragma journal_mode = memory"));
                Exec(q, QStringLiteral("pragma synchronous = off"));
                Exec(q, QStringLiteral("pragma cache_size = -262144"));
                Exec(q, QStringLiteral("begin immediate"));
                Fill(db, seed);
                Exec(q, QStringLiteral("commit"));
                counts.groups = CountRows(q, QStringLiteral("select count(*) from tblGroups"));
                counts.resources =
                    CountRows(q, QStringLiteral("select count(*) from tblResources"));
                counts.tasks = CountRows(q, QStringLiteral("select count(*) from tblTasks"));
                counts.contacts = CountRows(q, QStringLiteral("select count(*) from tblCustomers"));
                counts.contactLinks =
                    CountRows(q, QStringLiteral("select count(*) from tblCustomerGroups"));
                counts.bookings = CountRows(q, QStringLiteral("select count(*) from tblBookings"));
                counts.largeGroupBookings = CountRows(
                    q, QStringLiteral("select count(*) from tblBookings where ResourceId in "
                                      "(select ResourceId from tblResources where GroupId = %1)")
                           .arg(BenchData::LargeGroupId));
            } catch (const std::exception& e) {
                QSqlQuery(db).exec(QStringLiteral("rollback"));
                counts.error = QString::fromStdString(e.what());
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    counts.milliseconds = clock.elapsed();
    return counts;
}
