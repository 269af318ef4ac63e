#pragma once

#include <QString>
#include <QtGlobal>

// The benchmark database, written straight through SQL in one transaction
// and the same for the same seed on every machine:
//
// - groups 1 to 10 (BenchData::FirstGroupId .. LastOrdinaryGroupId): ten
//   ordinary groups ("Meeting Rooms", "Consultants", ...), each with 20
//   resources and 15 appointment types, holding 200,000 bookings together,
//   spread over the year from 1 January 2026 (365 days);
// - group 11 (BenchData::LargeGroupId, "Hot Desks"): one large group of 1,000
//   resources ("Desk 0001" ..) and 15 appointment types, holding 100,000
//   bookings within the 61 days from 1 March 2026;
// - 2,000 contacts, each linked to one to three groups; three bookings in
//   four carry a contact of their group.
//
// Identifiers are handed out in that order: group g (1 to 10) has resources
// (g - 1) * 20 + 1 to g * 20 and appointment types (g - 1) * 15 + 1 to g * 15;
// the large group has resources 201 to 1200 and types 151 to 165. Bookings
// 1 to 200,000 belong to the ordinary groups, 200,001 to 300,000 to the large
// one. On any one resource and day the bookings do not overlap and lie within
// the group's working day, on its slot grid.
namespace BenchData {
constexpr qint32 FirstGroupId = 1;
constexpr qint32 LastOrdinaryGroupId = 10;
constexpr qint32 LargeGroupId = 11;
constexpr int OrdinaryGroups = 10;
constexpr int ResourcesPerGroup = 20;
constexpr int TasksPerGroup = 15;
constexpr int OrdinaryBookings = 200000;
constexpr int LargeGroupResources = 1000;
constexpr int LargeGroupBookings = 100000;
constexpr int Contacts = 2000;
constexpr qint32 YearFirstDate = 46021;  // 1 January 2026
constexpr int YearDays = 365;
constexpr qint32 LargeFirstDate = 46080; // 1 March 2026
constexpr int LargeDays = 61;
constexpr qint32 FirstLargeBookingId = OrdinaryBookings + 1;
} // namespace BenchData

// What the generator wrote, counted back from the file.
struct BenchDataCounts {
    QString error; // empty when the database was written
    int groups = 0;
    int resources = 0;
    int tasks = 0;
    int contacts = 0;
    int contactLinks = 0;
    int bookings = 0;
    int largeGroupBookings = 0;
    qint64 milliseconds = 0;
};

// Writes the benchmark database to path, replacing a file that is there. The
// schema comes from DbSchema; the rows follow from seed alone.
BenchDataCounts GenerateBenchDatabase(const QString& path, quint64 seed = 1);
