#pragma once

#include <QString>
#include <functional>

class QWidget;

// Help context numbers and the link from the windows to the help viewer.
namespace ContextIDs {
constexpr int HelpApptType = 30;
constexpr int HelpPreview = 40;
constexpr int HelpMain = 50;
constexpr int HelpTemplate = 50;
constexpr int HelpGroup = 60;
constexpr int HelpContact = 70;
constexpr int HelpConfig = 80;
constexpr int HelpCalendar = 90;
constexpr int HelpAppt = 100;
constexpr int HelpResource = 110;
constexpr int HelpRepeat = 230;
constexpr int HelpSearch = 250;

void InitHelp(QWidget* mainWindow);
void ShowHelp(int context);
void QuitHelp();
QString HelpFile();
QWidget* HelpOwner();

// The help window registers itself here; until then ShowHelp does nothing.
void SetHelpViewer(std::function<void(int)> show, std::function<void()> quit);
} // namespace ContextIDs
