#pragma once

#include "transfer/BookingHistory.h"

#include <QDialog>

class ItemList;
class QComboBox;
class QDateEdit;
class QPushButton;

// "History": the journal of changes of one appointment, of one resource's
// day or of every appointment from one day to another, newest first: when
// (local time), on which workstation, by whom and what changed. Print shows
// the list in the print preview, from which it is printed; Export writes it
// to Export/<name>.csv.
//
// Opening: Open(), from the main window (its current resource and date) or
// the booking dialog (its selected appointment too); a test constructs it
// and works its controls without showing it.
class DlgHistory : public QDialog {
    Q_OBJECT
public:
    enum ScopeEntry { BookingEntry = 0, ResourceDayEntry = 1, RangeEntry = 2 };

    // bookingId or resourceId 0: that entry cannot be chosen. The range
    // starts as the month of `day`.
    DlgHistory(QWidget* owner, qint32 bookingId, qint32 resourceId, qint32 day);
    static void Open(QWidget* owner, qint32 bookingId, qint32 resourceId, qint32 day);

    BookingHistory::Scope Scope() const;
    // What the list shows, as its heading and the printed title.
    QString ScopeTitle();
    // Reads the entries of the chosen scope again.
    void ShowEntries();
    void SetupEnabled();
    void BtnPrint_Click();
    // Writes Export/<name>.csv and tells the user where, or why not.
    bool BtnExport_Click();
    // The name of the CSV file, without its folder and suffix.
    QString ExportName() const;
    const QList<BookingHistory::Line>& Lines() const { return m_lines; }

    QComboBox* CbScope() const { return m_cbScope; }
    QDateEdit* DtFrom() const { return m_dtFrom; }
    QDateEdit* DtTo() const { return m_dtTo; }
    ItemList* LbHistory() const { return m_lbHistory; }
    QPushButton* BtnPrint() const { return m_btnPrint; }
    QPushButton* BtnExport() const { return m_btnExport; }
    QPushButton* BtnHelp() const { return m_btnHelp; }

private:
    void BuildWindow();

    qint32 m_bookingId = 0;
    qint32 m_resourceId = 0;
    qint32 m_day = 0;
    QString m_resourceName;
    BookingHistory m_history;
    QList<BookingHistory::Line> m_lines;
    QComboBox* m_cbScope = nullptr;
    QDateEdit* m_dtFrom = nullptr;
    QDateEdit* m_dtTo = nullptr;
    ItemList* m_lbHistory = nullptr;
    QPushButton* m_btnPrint = nullptr;
    QPushButton* m_btnExport = nullptr;
    QPushButton* m_btnHelp = nullptr;
};
