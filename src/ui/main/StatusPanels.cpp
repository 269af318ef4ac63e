#include "ui/main/StatusPanels.h"

#include "model/BookingSummary.h"
#include "model/ClsDate.h"

#include <QLabel>
#include <QStatusBar>
#include <QTime>
#include <QTimer>

StatusPanels::StatusPanels(QStatusBar* bar) : QObject(bar) {
    for (const char* key : {"Start", "End", "Task", "Person"}) {
        const QString name = QString::fromLatin1(key);
        auto* panel = new QLabel(bar);
        panel->setObjectName(name);
        panel->setMinimumWidth(name == QLatin1String("Person") ? 180 : 90);
        panel->setFrameShape(QFrame::StyledPanel);
        bar->addWidget(panel, name == QLatin1String("Person") ? 1 : 0);
        m_panels.insert(name, panel);
        SetText(name, QString());
    }
    auto* clockPanel = new QLabel(bar);
    clockPanel->setObjectName(QStringLiteral("Time"));
    clockPanel->setFrameShape(QFrame::StyledPanel);
    clockPanel->setMinimumWidth(90);
    clockPanel->setAlignment(Qt::AlignCenter);
    bar->addPermanentWidget(clockPanel);
    m_panels.insert(QStringLiteral("Time"), clockPanel);
    SetText(QStringLiteral("Time"), QString());
    m_clock = new QTimer(this);
    connect(m_clock, &QTimer::timeout, this, [this] { ShowClock(); });
    m_clock->start(1000);
}

QString StatusPanels::Caption(const QString& key) {
    if (key == QLatin1String("Task"))
        return QStringLiteral("Appointment type");
    if (key == QLatin1String("Person"))
        return QStringLiteral("Contact");
    return key;
}

QString StatusPanels::Text(const QString& key) const {
    const QLabel* panel = m_panels.value(key);
    return panel ? panel->text() : QString();
}

void StatusPanels::SetText(const QString& key, const QString& text) {
    if (QLabel* panel = m_panels.value(key)) {
        panel->setText(text);
        // A screen reader reads which field it is along with its text.
        panel->setAccessibleName(Caption(key) + QStringLiteral(": ") + text);
    }
}

void StatusPanels::ShowBooking(const BookingSummary& booking) {
    SetText(QStringLiteral("Start"), booking.Start());
    SetText(QStringLiteral("End"), booking.End());
    SetText(QStringLiteral("Task"), booking.Task());
    SetText(QStringLiteral("Person"), booking.Contact());
}

void StatusPanels::ShowClock() {
    const QTime now = QTime::currentTime();
    SetText(QStringLiteral("Time"), ClsDate::ShowTime(now.hour() * 60 + now.minute(), true));
}

void StatusPanels::StopClock() { m_clock->stop(); }
