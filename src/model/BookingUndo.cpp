#include "model/BookingUndo.h"

#include "base/ErrorTrap.h"
#include "base/ProgramState.h"
#include "data/ClsDAO.h"
#include "data/Database.h"
#include "data/DbTransaction.h"
#include "model/ClsBooking.h"
#include "model/StoredRow.h"

#include <QStringList>

namespace {

// More steps than anyone takes back; the oldest go first.
constexpr int kMaxSteps = 100;

QString Bookings() {
    return QStringLiteral("tblBookings");
}

bool IsSeries(const QString& action) {
    return action == QLatin1String("Delete series");
}

// An action as the menu and the messages name it: every word capitalised.
QString Named(const QString& action) {
    QStringList words = action.split(QLatin1Char(' '));
    for (QString& word : words)
        if (!word.isEmpty())
            word[0] = word[0].toUpper();
    return words.join(QLatin1Char(' '));
}

qint32 Id(const QJsonObject& row) {
    return row.value(QStringLiteral("bookingid")).toInt();
}

// Both engines hand numbers back in types of their own: numbers compare by value.
bool SameRow(const QJsonObject& a, const QJsonObject& b) {
    if (a.keys() != b.keys())
        return false;
    for (auto it = a.begin(); it != a.end(); ++it) {
        const QJsonValue other = b.value(it.key());
        if (it->isDouble() && other.isDouble() ? it->toDouble() != other.toDouble() : *it != other)
            return false;
    }
    return true;
}

// Whether the booking is stored exactly as `row`.
SaveProblem Compare(ClsDAO& dao, const QJsonObject& row) {
    switch (StoredRow::Lookup(dao, Bookings(), QStringLiteral("BookingId"), Id(row))) {
    case StoredRow::State::Gone:
        return SaveProblem::Deleted;
    case StoredRow::State::Same:
        break;
    default:
        return SaveProblem::Failed;
    }
    StoredRow stored(Bookings(), QStringLiteral("BookingId"));
    if (!stored.Reload(dao, Id(row)))
        return SaveProblem::Failed;
    return SameRow(Journal::Rows(stored.Json()).value(0), row) ? SaveProblem::None
                                                               : SaveProblem::Changed;
}

// A journalled row into the record.
void Fill(ClsBooking& b, const QJsonObject& row) {
    const auto number = [&](const char* column) {
        return row.value(QLatin1String(column)).toInt();
    };
    const auto text = [&](const char* column) {
        return row.value(QLatin1String(column)).toString();
    };
    b.SetBookingId(number("bookingid"));
    b.SetResourceId(number("resourceid"));
    b.SetTaskId(number("taskid"));
    b.SetCustomerId(number("customerid"));
    b.SetBookingDate(number("bookingdate"));
    b.SetBookingStart(qint16(number("bookingstart")));
    b.SetBookingEnd(qint16(number("bookingend")));
    b.SetRepeatId(number("repeatid"));
    b.SetRef01(text("ref01"));
    b.SetRef02(text("ref02"));
    b.SetRef03(text("ref03"));
    b.SetComments(text("comments"));
}

QString Why(SaveProblem problem, const QJsonObject& row) {
    const QString id = QString::number(Id(row));
    switch (problem) {
    case SaveProblem::Changed:
        return QStringLiteral("booking %1 was changed at another workstation since").arg(id);
    case SaveProblem::Deleted:
        return QStringLiteral("booking %1 was deleted at another workstation since").arg(id);
    case SaveProblem::Clash: {
        qint32 clash = 0;
        const auto number = [&](const char* column) {
            return row.value(QLatin1String(column)).toInt();
        };
        ClsBooking::FindClash(number("resourceid"), number("bookingdate"),
                              qint16(number("bookingstart")), qint16(number("bookingend")), Id(row),
                              clash);
        return QStringLiteral("the time of booking %1 is now taken by booking %2")
            .arg(id)
            .arg(clash);
    }
    case SaveProblem::IdTaken:
        return QStringLiteral("booking number %1 is now used by another booking").arg(id);
    case SaveProblem::ResourceGone:
        return QStringLiteral("the resource of booking %1 no longer exists").arg(id);
    case SaveProblem::TypeGone:
        return QStringLiteral("the appointment type of booking %1 no longer exists").arg(id);
    case SaveProblem::ContactGone:
        return QStringLiteral("the contact of booking %1 no longer exists").arg(id);
    default:
        return QStringLiteral("the database did not store booking %1").arg(id);
    }
}

} // namespace

BookingUndo::BookingUndo(QObject* parent) : QObject(parent) {
    if (ProgramState::IsRunning())
        m_database = Database::DAO().DbPath();
    m_listener = Journal::AddListener(
        [this](ClsDAO& dao, const Journal::Entry& entry) { Noted(dao, entry); });
}

BookingUndo::~BookingUndo() {
    Journal::RemoveListener(m_listener);
}

QString BookingUndo::UndoAction() const {
    return Current() && !m_undo.isEmpty() ? Named(m_undo.last().action) : QString();
}

QString BookingUndo::RedoAction() const {
    return Current() && !m_redo.isEmpty() ? Named(m_redo.last().action) : QString();
}

bool BookingUndo::Undo() {
    return Apply(m_undo, m_redo, true);
}

bool BookingUndo::Redo() {
    return Apply(m_redo, m_undo, false);
}

void BookingUndo::Clear() {
    m_undo.clear();
    m_redo.clear();
    if (ProgramState::IsRunning())
        m_database = Database::DAO().DbPath();
    emit Changed();
}

bool BookingUndo::Current() const {
    return ProgramState::IsRunning() && Database::DAO().DbPath() == m_database;
}

void BookingUndo::Noted(ClsDAO& dao, const Journal::Entry& entry) {
    // Another connection is another workstation; an undo's own write is not
    // a new step.
    if (m_applying || !ProgramState::IsRunning() || &dao != &Database::DAO())
        return;
    // A restore or a purge replaces what the steps would write back.
    if (entry.action == QLatin1String("Restore") || entry.action == QLatin1String("Purge")) {
        Clear();
        return;
    }
    // The steps of another database (opened before this one) are gone.
    if (!Current())
        Clear();
    static const QStringList actions{QStringLiteral("New"),    QStringLiteral("Change"),
                                     QStringLiteral("Move"),   QStringLiteral("Stretch"),
                                     QStringLiteral("Delete"), QStringLiteral("Delete series")};
    if (entry.table.compare(Bookings(), Qt::CaseInsensitive) != 0 ||
        !actions.contains(entry.action))
        return;
    m_undo.append({entry.action, entry.rowId, entry.before, entry.after});
    if (m_undo.size() > kMaxSteps)
        m_undo.removeFirst();
    m_redo.clear();
    emit Changed();
}

bool BookingUndo::Apply(QList<Step>& from, QList<Step>& to, bool back) {
    m_problem.clear();
    if (!Current())
        Clear();
    if (from.isEmpty())
        return false;
    const Step step = from.last();
    const QString verb = back ? QStringLiteral("undo") : QStringLiteral("redo");
    SaveProblem problem = SaveProblem::Failed;
    m_applying = true;
    Trap(back ? "BookingUndo.Undo" : "BookingUndo.Redo", [&] {
        problem = Write(step, Journal::Rows(back ? step.after : step.before),
                        Journal::Rows(back ? step.before : step.after), verb);
    });
    m_applying = false;
    if (problem == SaveProblem::None) {
        from.removeLast();
        to.append(step);
    } else {
        if (m_problem.isEmpty())
            m_problem = QStringLiteral("Cannot %1 %2: the database did not store it.")
                            .arg(verb, Named(step.action));
        // What the database holds now refuses the step for good; a write
        // that failed may go through later.
        if (problem != SaveProblem::Failed)
            from.removeLast();
    }
    emit Changed();
    return problem == SaveProblem::None;
}

SaveProblem BookingUndo::Write(const Step& step, const QList<QJsonObject>& have,
                               const QList<QJsonObject>& want, const QString& verb) {
    const auto refuse = [&](SaveProblem problem, const QJsonObject& row) {
        m_problem = QStringLiteral("Cannot %1 %2: ").arg(verb, Named(step.action)) +
                    Why(problem, row) + QLatin1Char('.');
        return problem;
    };
    const QJsonObject first = have.value(0, want.value(0));
    ClsDAO& dao = Database::DAO();
    // Every test and write below joins this one transaction: all or nothing.
    DbTransaction txn(dao);
    if (!dao.InWrite())
        return refuse(SaveProblem::Failed, first);
    // What the step left must still be stored as it left it.
    for (const QJsonObject& row : have)
        if (const SaveProblem problem = Compare(dao, row); problem != SaveProblem::None)
            return refuse(problem, row);
    if (IsSeries(step.action) && !have.isEmpty()) {
        // Deleting the series again deletes no booking added to it since.
        QList<qint32> ids;
        for (const QJsonObject& row : have)
            ids << Id(row);
        Recordset rs = dao.SqlQuery(QStringLiteral("select BookingId from tblBookings where "
                                                   "RepeatId = ") +
                                    QString::number(step.rowId));
        for (; rs.IsOpen() && !rs.Eof(); rs.MoveNext())
            if (!ids.contains(rs.Fields(0).Long()))
                return refuse(SaveProblem::Changed,
                              {{QStringLiteral("bookingid"), rs.Fields(0).Long()}});
        if (!rs.IsOpen() || !ClsBooking().DeleteRepeats(step.rowId))
            return refuse(SaveProblem::Failed, first);
    } else if (want.isEmpty()) {
        for (const QJsonObject& row : have)
            if (!ClsBooking().Delete(Id(row)))
                return refuse(SaveProblem::Failed, row);
    } else if (have.isEmpty()) {
        // Deleted bookings come back under their own identifiers.
        for (const QJsonObject& row : want) {
            ClsBooking booking;
            Fill(booking, row);
            if (booking.Recreate() == 0)
                return refuse(booking.LastSaveProblem(), row);
        }
    } else {
        ClsBooking booking;
        if (!booking.Load(Id(want.first())))
            return refuse(SaveProblem::Failed, want.first());
        Fill(booking, want.first());
        if (booking.Save() == 0)
            return refuse(booking.LastSaveProblem(), want.first());
    }
    return txn.Commit() ? SaveProblem::None : refuse(SaveProblem::Failed, first);
}
