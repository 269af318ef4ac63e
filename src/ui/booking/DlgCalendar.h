#pragma once

#include <QDialog>
#include <QVector>
#include <functional>

class MarkedCalendar;
class QCheckBox;
class QGroupBox;
class QPushButton;
class QVBoxLayout;

// The month calendar from which the user picks the working date. Its object
// also holds the program's current date (SelDate) for the whole run, whether
// or not its window is shown.
class DlgCalendar : public QDialog {
    Q_OBJECT
public:
    // The one calendar of the program, created on first use.
    static DlgCalendar& Instance();
    static void Release();
    // Tells the calendar how to find the group selected in the main window.
    static void SetGroupSource(std::function<qint32()> source);

    qint32 SelDate() const { return m_selDate; }
    void SetSelDate(qint32 day) { m_selDate = day; }
    void SetResourceId(qint32 id) { m_resourceId = id; }

    // Loads the window with that resource ticked and shows it modally.
    // True when the user chose a date (then in SelDate).
    static bool Choose(qint32 resourceId);

    void Form_Load();
    void Form_Activate();
    void BtnCalendar_Click(int index);
    void Cal_DateDblClick(int value);
    void Cal_PageChange();
    void Cal_DateChange();
    void ChkResource_Click();
    void ShowAppointments();

    MarkedCalendar* Cal() const { return m_cal; }
    const QVector<QCheckBox*>& ChkResource() const { return m_chkResource; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    explicit DlgCalendar(QWidget* parent = nullptr);

    qint32 m_selDate = 0;
    qint32 m_resourceId = 0;
    bool m_activated = false;
    bool m_loading = false;
    bool m_pageChanged = false;
    MarkedCalendar* m_cal = nullptr;
    QGroupBox* m_frame = nullptr;
    QVBoxLayout* m_boxLayout = nullptr;
    QVector<QCheckBox*> m_chkResource;
    QVector<QPushButton*> m_btnCalendar;
};
