#pragma once

#include <QMainWindow>
#include <QMap>
#include <QVector>

class LegendLabel;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QSlider;
class QTimer;
class QVBoxLayout;
class ScheduleView;
class SpinButtons;

// The main window: the schedule of one group with its legend of appointment
// types. It is the start-up object of the program: creating it starts the
// program frame, closing it ends it.
class DlgMain : public QMainWindow {
    Q_OBJECT
public:
    explicit DlgMain(QWidget* parent = nullptr);
    ~DlgMain() override;

    // The main window of the running program, or null.
    static DlgMain* Instance();

    // False when the database could not be opened; the window then closes at once.
    bool Started() const { return m_started; }

    qint32 CurrentDate() const;
    void SetCurrentDate(qint32 date);
    void ScrollToTime(int minutes);
    void SelectResource(qint32 resourceId);
    void ShowGroups(qint32 groupId);
    void ShowResources(qint32 resourceId);
    void ShowLegends();
    void SetupDefaults();
    void SetScheduleEndDate();
    qint32 SelectedGroupId() const;

    // Handlers of the window's own controls.
    void CbGroup_Click();
    void ChkLegend_Click();
    void Scroll_Change();
    void SpinDate_Click(int direction);

    QString PanelText(const QString& key) const;
    void SetPanelText(const QString& key, const QString& text);

    ScheduleView* Sched() const { return m_sched; }
    QComboBox* CbGroup() const { return m_cbGroup; }
    QCheckBox* ChkLegend() const { return m_chkLegend; }
    QGroupBox* Frame1() const { return m_frame1; }
    QSlider* Scroll() const { return m_scroll; }
    SpinButtons* SpinDate() const { return m_spinDate; }
    const QVector<LegendLabel*>& LblColor() const { return m_lblColor; }
    const QVector<LegendLabel*>& LblLegend() const { return m_lblLegend; }
    qint32 BookingSignature() const { return m_bookingSignature; }
    int AutoscrollHoldOff() const { return m_holdOff; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Form_Load();
    void Form_Unload();
    void BuildWindow();
    void UpdateCaption();
    void UpdateClock();

    bool m_started = false;
    bool m_unloaded = false;

    // Window state, cleared when the window loads.
    bool m_activated = false;
    bool m_closeRequest = false;
    int m_holdOff = 0;
    qint32 m_bookingSignature = 0;
    qint32 m_draggedTask = 0;
    // Raised by every rebuild; a rebuild that finds it changed after letting
    // events run gives way to the newer one.
    int m_rebuildGeneration = 0;

    ScheduleView* m_sched = nullptr;
    QComboBox* m_cbGroup = nullptr;
    QCheckBox* m_chkLegend = nullptr;
    QGroupBox* m_frame1 = nullptr;
    QVBoxLayout* m_legendLayout = nullptr;
    QSlider* m_scroll = nullptr;
    SpinButtons* m_spinDate = nullptr;
    QVector<LegendLabel*> m_lblColor;
    QVector<LegendLabel*> m_lblLegend;
    QMap<QString, QLabel*> m_panels;
    QTimer* m_clock = nullptr;
};
