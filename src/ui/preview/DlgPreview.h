#pragma once

#include "print/ClsViewPro.h"

#include <QDialog>
#include <QHash>
#include <array>
#include <functional>

class DlgAppt;
class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPrintPreviewWidget;
class QRadioButton;
class QSlider;
class QToolBar;
class QToolButton;
class SpinButtons;

// The print preview of the booking dialog: the day sheet of the dialog's
// resource, or the appointments of a contact or of an appointment type from
// the dialog's date on, shown page by page at a chosen zoom and printed
// through the platform's print dialog.
//
// Opening: construct it over the booking dialog (which loads it) and show
// it modally through ModalWindow::Show; the first report is produced when
// it is first shown. A test that never shows it calls Form_Activate itself.
//
// The other form previews one report produced elsewhere (the history of
// changes): its pages, zoom and printing, without the booking dialog's
// choices of report, date and resource.
class DlgPreview : public QDialog {
    Q_OBJECT
public:
    explicit DlgPreview(DlgAppt* appt);
    DlgPreview(QWidget* parent, std::function<void(ClsViewPro&)> report);
    ~DlgPreview() override;

    void Form_Load();
    void Form_Activate();
    void Option1_Click(int index);
    void CbSelect_Click();
    // Direction 0 shows the day before, any other the day after.
    void SpinDate_Click(int direction);
    void btnDateNext_Click();
    void mnuDatePrevious_Click();
    // Direction 0 shows the page before, any other the page after.
    void PageSpin_Click(int direction);
    void ctScroll1_Change(int value);
    // Keys "Exit", "Calendar", "Print", "ArrowLeft", "ArrowRight", "Help".
    void Toolbar1_ButtonClick(const QString& key);

    void PrintDaySheet();
    void PrintContactReport();
    void PrintTypeReport();
    void SetControlsEnabled(bool enabled);

    // 0 day sheet, 1 contact report, 2 appointment-type report.
    int ReportKind() const { return m_reportKind; }
    bool MilitaryTime() const { return m_militaryTime; }
    ClsViewPro& Viewer() { return m_viewer; }

    QComboBox* CbSelect() const { return m_cbSelect; }
    QRadioButton* Option1(int index) const { return m_option1[std::size_t(index)]; }
    SpinButtons* PageSpin() const { return m_pageSpin; }
    SpinButtons* SpinDate() const { return m_spinDate; }
    QToolButton* BtnDateNext() const { return m_btnDateNext; }
    QSlider* CtScroll1() const { return m_ctScroll1; }
    QLabel* LblPages() const { return m_lblPages; }
    QPrintPreviewWidget* ViewPro1() const { return m_viewPro1; }
    QToolBar* Toolbar1() const { return m_toolbar; }
    QAction* ToolbarAction(const QString& key) const { return m_toolActions.value(key); }
    // A menu entry by its name ("mnuFilePrint", "mnuResourceNext", ...).
    QAction* MenuAction(const QString& name) const { return m_menuActions.value(name); }

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildWindow();
    void BuildToolbar();
    void BuildMenus();
    QAction* AddMenuEntry(QMenu* menu, const QString& name, const QString& caption,
                          std::function<void()> handler);
    // Produces the report of the current kind again.
    void ProduceReport();
    // Runs one report with the controls switched off; refuses to start a
    // second one while the first runs.
    void RunReport(const std::function<void()>& report);
    void PrintAppointments(int kind, const QString& sql);
    void ShowPageLabel(int page, int count);
    void StepResource(int step);
    qint32 SelectedGroup() const;

    DlgAppt* m_appt = nullptr;
    std::function<void(ClsViewPro&)> m_report; // the report of the other form
    ClsViewPro m_viewer;
    int m_reportKind = 0;
    bool m_militaryTime = false;
    bool m_activated = false;
    bool m_producing = false;
    bool m_closePending = false;
    int m_closeResult = QDialog::Rejected;

    QMenuBar* m_menuBar = nullptr;
    QToolBar* m_toolbar = nullptr;
    std::array<QRadioButton*, 3> m_option1{};
    QComboBox* m_cbSelect = nullptr;
    SpinButtons* m_spinDate = nullptr;
    QToolButton* m_btnDateNext = nullptr;
    SpinButtons* m_pageSpin = nullptr;
    QLabel* m_lblPages = nullptr;
    QSlider* m_ctScroll1 = nullptr;
    QPrintPreviewWidget* m_viewPro1 = nullptr;
    QHash<QString, QAction*> m_toolActions;
    QHash<QString, QAction*> m_menuActions;
};
