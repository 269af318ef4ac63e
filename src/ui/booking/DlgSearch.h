#pragma once

#include <QDialog>
#include <QStringList>
#include <array>

class ItemList;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// "Search": the appointments of one contact, one appointment type or one
// resource of the group selected in the main window, optionally only those
// still to come. Goto shows the chosen one on the main schedule; Print sends
// the list to the printer through the platform's print dialog.
//
// Opening: construct it (which loads it and runs the first search) and show
// it modally through ModalWindow::Show. Goto and Cancel close it.
class DlgSearch : public QDialog {
    Q_OBJECT
public:
    // The three kinds of search, the indexes of the "Search By" buttons.
    enum SearchKind { ByContact = 0, ByAppointmentType = 1, ByResource = 2 };

    explicit DlgSearch(QWidget* parent = nullptr);

    void Form_Load();
    void BtnSearchBy_Click(int index);
    void CbSearch_Click();
    // Chooses the first contact whose name starts with the text typed (else
    // holds it) and searches at once.
    void TxtFind_Change(const QString& typed);
    void ChkSelection_Click();
    // 0 Goto, 1 Print, 2 Help, 3 Cancel.
    void BtnSearch_Click(int index);
    void LbResults_DblClick();
    void DoSearch();
    void SearchByContactName();
    void SearchByAppointmentType();
    void SearchByNextUnavailable();
    void ShowResults(const QString& sql);
    void DoPrint();
    void EnableMe(bool enabled);

    // The query of one search kind for the record id; with futureOnly only
    // the appointments from the day today and the minute now on.
    static QString SearchSql(int kind, qint32 id, bool futureOnly, qint32 today, int now);
    // The seven cells of each result row, first to last.
    QList<QStringList> ResultRows() const;

    bool Loading() const { return m_loading; }
    QRadioButton* BtnSearchBy(int index) const { return m_btnSearchBy[std::size_t(index)]; }
    QComboBox* CbSearch() const { return m_cbSearch; }
    QLineEdit* TxtFind() const { return m_txtFind; }
    // How many appointments the search found.
    QLabel* LblCount() const { return m_lblCount; }
    QCheckBox* ChkSelection() const { return m_chkSelection; }
    ItemList* LbResults() const { return m_lbResults; }
    QPushButton* BtnSearch(int index) const { return m_btnSearch[std::size_t(index)]; }

private:
    void BuildWindow();
    // Empties the result list and creates its seven columns.
    void ShowColumns();
    void Search(int kind);
    void Goto();

    bool m_loading = false;
    // Raised by every fill of the result list; a fill that finds it changed
    // after letting window events run gives way to the newer one.
    int m_fillGeneration = 0;

    std::array<QRadioButton*, 3> m_btnSearchBy{};
    QComboBox* m_cbSearch = nullptr;
    QLineEdit* m_txtFind = nullptr;
    QLabel* m_lblCount = nullptr;
    QCheckBox* m_chkSelection = nullptr;
    ItemList* m_lbResults = nullptr;
    std::array<QPushButton*, 4> m_btnSearch{};
};
