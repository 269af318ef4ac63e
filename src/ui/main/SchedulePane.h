#pragma once

#include "model/JournalWatch.h"
#include "model/ScheduleData.h"

#include <QHash>
#include <QList>
#include <QStackedWidget>
#include <functional>

class QLabel;
class ScheduleView;

// The schedule area of the main window: the schedule, or for a database
// without any group a hint how to begin. It takes the view's settings from
// the settings file, and puts the rows and bars one query loaded into the
// schedule.
class SchedulePane : public QStackedWidget {
    Q_OBJECT
public:
    explicit SchedulePane(QWidget* parent = nullptr);

    ScheduleView* View() const { return m_view; }
    QLabel* EmptyHint() const { return m_emptyHint; }
    // The schedule, or the hint when there is no group to show.
    void ShowSchedule(bool anyGroup);

    // The resolution the settings file names (Config, TimeType: 0 hours,
    // 1 days, 2 weeks) with its last date and ruler format.
    void ApplyResolution();
    // 12-hour or 24-hour times (Options, UseMilitaryTime).
    void ApplyTimeFormat();
    // The colours of the settings file; a key that is absent keeps the view's own.
    void ApplyColours();

    // Prints the schedule, in colour when the settings file says so
    // (Options, ColourPrint), on the printer the user chooses.
    void Print(const QString& heading, const QString& footer);

    // Adds the rows and bars to the schedule, the row of currentResource
    // made current. Events run between rows and every so many bars; after
    // each time, goOn tells whether to carry on (false: a newer rebuild took
    // over the schedule). True when every row was added.
    bool Fill(const ScheduleData& data, qint32 currentResource, const std::function<bool()>& goOn);
    // Puts the bars of the rows `data` holds in place of those rows' bars,
    // the other rows left as they are; a resource without a row is passed
    // over. Returns the resources whose rows were replaced.
    QList<qint32> ReplaceRows(const ScheduleData& data);
    // The change signature of the bars shown, as ScheduleData::Signature
    // gives it for the same rows.
    qint32 Signature() const;

    // What the journal tells of the changes since the schedule was read.
    enum class News {
        None,    // nothing that the shown range holds
        Rows,    // the rows of the bookings it names were read again
        All,     // something else changed: the schedule must be read again
        Unknown, // no journal, or a change that left no entry: only the signature tells
    };
    // Starts from the journal's newest entry: called as the schedule is read.
    void WatchJournal();
    // Reads the journal's entries since the last look and replaces the rows
    // of `shown` they touch. While a rebuild is still adding rows (filling),
    // any news is All.
    News FollowJournal(const ScheduleData::Selection& shown, bool filling);

private:
    void AddBar(int row, const ScheduleData::Bar& b);
    // The sum of the ends of a row's bars: its share of the signature.
    static qint64 EndSum(const ScheduleData& data, const ScheduleData::Row& r);

    ScheduleView* m_view = nullptr;
    QLabel* m_emptyHint = nullptr;
    QHash<qint32, qint64> m_endSums; // each row's share, by resource
    qint64 m_endSum = 0;
    JournalWatch m_journal;
};
