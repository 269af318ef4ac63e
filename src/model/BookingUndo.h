#pragma once

#include "data/Journal.h"
#include "model/SaveProblem.h"

#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>

class ClsDAO;

// Undo and redo of this program run's own changes of bookings. Each change
// of a booking that this process journals through the shared connection, once
// its transaction has committed, is a step of the undo list, newest last.
// Undo writes the booking back as it was before the step, Redo as the step
// left it. Either is a change like any other, made through ClsBooking: tested
// in one write transaction (the booking still as the step left it, its time
// free, its identifier free, its resource, type and contact there) and
// journalled as that change. A refused one stores nothing and says why.
class BookingUndo : public QObject {
    Q_OBJECT
public:
    explicit BookingUndo(QObject* parent = nullptr);
    ~BookingUndo() override;

    // What the next Undo takes back and Redo does again, as the menu names
    // it ("Move", "Delete Series"); empty when there is nothing.
    QString UndoAction() const;
    QString RedoAction() const;
    // True when done. False when there was nothing to do, or when it was
    // refused: Problem() then says why, and the step is dropped (unless the
    // database could not store it), so that the steps below stay in reach.
    bool Undo();
    bool Redo();
    QString Problem() const { return m_problem; }
    // Forgets every step.
    void Clear();

signals:
    // The lists changed: so may the captions of Undo and Redo.
    void Changed();

private:
    struct Step {
        QString action; // as journalled
        qint32 rowId = 0;
        QString before;
        QString after;
    };

    void Noted(ClsDAO& dao, const Journal::Entry& entry);
    // False when the steps belong to another database than the one open now.
    bool Current() const;
    // Takes the newest step of `from` back (Undo) or does it again (Redo);
    // done, it goes onto `to`.
    bool Apply(QList<Step>& from, QList<Step>& to, bool back);
    // Writes the rows `want` where `have` should be stored, in one write
    // transaction; SaveProblem::None when done, else m_problem says why.
    SaveProblem Write(const Step& step, const QList<QJsonObject>& have,
                      const QList<QJsonObject>& want, const QString& verb);

    QList<Step> m_undo;
    QList<Step> m_redo;
    QString m_problem;
    QString m_database; // the database the steps were made on
    int m_listener = 0;
    bool m_applying = false;
};
