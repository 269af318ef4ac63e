#pragma once

#include <QDialog>
#include <QVector>
#include <array>

class ItemList;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

// "Repeat Appointment": books copies of one appointment on the following
// dates of a chosen pattern. The caller writes the appointment into the
// properties, runs Form_Load and shows the window; every exit unloads it.
class DlgRepeat : public QDialog {
    Q_OBJECT
public:
    explicit DlgRepeat(QWidget* parent = nullptr);

    void SetApptDate(qint32 day) { m_apptDate = day; }
    void SetGroupId(qint32 id) { m_groupId = id; }
    void SetResourceId(qint32 id) { m_resourceId = id; }
    void SetStartTime(qint16 minutes) { m_startTime = minutes; }
    void SetEndTime(qint16 minutes) { m_endTime = minutes; }
    void SetTaskId(qint32 id) { m_taskId = id; }
    void SetCustomerId(qint32 id) { m_customerId = id; }
    void SetRef01(const QString& text) { m_ref01 = text; }
    void SetRef02(const QString& text) { m_ref02 = text; }
    void SetRef03(const QString& text) { m_ref03 = text; }
    void SetComments(const QString& text) { m_comments = text; }

    qint32 ResourceId() const { return m_resourceId; }
    int RepeatType() const { return m_repeatType; }

    void Form_Load();
    void Option1_Click(int index);
    void CbResource_Click();
    void BtnSelect_Click(int index);
    void BtnRepeat_Click(int index);
    void ShowDates();
    void SaveAppointments();

    // Number of dates listed.
    static constexpr int DateCount = 50;

    ItemList* LbTimeSlot() const { return m_lbTimeSlot; }
    QComboBox* CbResource() const { return m_cbResource; }
    QRadioButton* Option1(int index) const { return m_option1[std::size_t(index)]; }
    QLabel* LblStartTime() const { return m_lblStartTime; }
    QLabel* LblEndTime() const { return m_lblEndTime; }
    QLabel* LblTask() const { return m_lblTask; }
    QLabel* LblCustomer() const { return m_lblCustomer; }
    QPushButton* BtnSelect(int index) const { return m_btnSelect[std::size_t(index)]; }
    QPushButton* BtnRepeat(int index) const { return m_btnRepeat[std::size_t(index)]; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    qint32 m_apptDate = 0;
    qint32 m_groupId = 0;
    qint32 m_resourceId = 0;
    qint16 m_startTime = 0;
    qint16 m_endTime = 0;
    qint32 m_taskId = 0;
    qint32 m_customerId = 0;
    QString m_ref01;
    QString m_ref02;
    QString m_ref03;
    QString m_comments;

    int m_repeatType = 0;
    bool m_loading = false;

    ItemList* m_lbTimeSlot = nullptr;
    QComboBox* m_cbResource = nullptr;
    std::array<QRadioButton*, 8> m_option1{};
    QLabel* m_lblStartTime = nullptr;
    QLabel* m_lblEndTime = nullptr;
    QLabel* m_lblTask = nullptr;
    QLabel* m_lblCustomer = nullptr;
    std::array<QPushButton*, 2> m_btnSelect{};
    std::array<QPushButton*, 3> m_btnRepeat{};
};
