#include "base/Messages.h"

#include "base/ErrorTrap.h"

#include <QApplication>
#include <QMessageBox>

namespace {

Messages::BoxHandler g_boxHandler;

bool ShowBox(Messages::BoxKind kind, const QString& title, const QString& text) {
    if (g_boxHandler)
        return g_boxHandler(kind, title, text);
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return false;
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title);
    // Messages break their lines as the settings and logs do (CR LF); a box
    // on this platform would show the carriage return as a character.
    box.setText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    switch (kind) {
    case Messages::BoxKind::Confirm:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        break;
    case Messages::BoxKind::Warning:
        box.setIcon(QMessageBox::Warning);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Messages::BoxKind::Critical:
        box.setIcon(QMessageBox::Critical);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Messages::BoxKind::Information:
        box.setIcon(QMessageBox::Information);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    return box.exec() == QMessageBox::Yes;
}

} // namespace

// The boxes' error traps keep the names the error log has always shown for
// them ("Error in ModMain.Warning"): readers of old logs search for those.

bool Messages::Confirm(const QString& prompt) {
    bool answer = false;
    Trap("ModMain.Confirm",
         [&] { answer = ShowBox(BoxKind::Confirm, QStringLiteral("Confirm"), prompt); });
    return answer;
}

void Messages::Warning(const QString& prompt) {
    Trap("ModMain.Warning", [&] { ShowBox(BoxKind::Warning, QStringLiteral("Warning!"), prompt); });
}

void Messages::CriticalError(const QString& prompt) {
    Trap("ModMain.CriticalError",
         [&] { ShowBox(BoxKind::Critical, QStringLiteral("Error!"), prompt); });
}

void Messages::Information(const QString& title, const QString& text) {
    Trap("ModMain.Information", [&] { ShowBox(BoxKind::Information, title, text); });
}

void Messages::Exclamation(const QString& title, const QString& text) {
    Trap("ModMain.Exclamation", [&] { ShowBox(BoxKind::Warning, title, text); });
}

void Messages::SetBoxHandler(BoxHandler handler) { g_boxHandler = std::move(handler); }
