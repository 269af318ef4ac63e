#pragma once

#include <QMap>
#include <QObject>
#include <QString>

class BookingSummary;
class QLabel;
class QStatusBar;
class QTimer;

// The main window's status bar: panels known by key for the booking under
// the mouse ("Start", "End", "Task", "Person") and the clock ("Time"), which
// it keeps to the minute.
class StatusPanels : public QObject {
    Q_OBJECT
public:
    explicit StatusPanels(QStatusBar* bar);

    QString Text(const QString& key) const;
    void SetText(const QString& key, const QString& text);
    void ShowBooking(const BookingSummary& booking);
    void ShowClock();
    void StopClock();

private:
    // What a panel is called to assistive technology.
    static QString Caption(const QString& key);

    QMap<QString, QLabel*> m_panels;
    QTimer* m_clock = nullptr;
};
