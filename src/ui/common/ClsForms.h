#pragma once

#include <QRect>
#include <QString>
#include <QtGlobal>

class QComboBox;
class QLineEdit;
class QListWidget;
class QToolBar;
class QWidget;

// The small list and window operations every window repeats. Each list entry
// carries the identifier of its record as its item value (Qt::UserRole).
//
// A window handles the choice of an entry by connecting to QComboBox::activated.
// SelectItemId emits activated as well, so selecting an entry from code runs
// the same handler as a user's click.
class ClsForms {
public:
    static constexpr int ItemRole = Qt::UserRole;

    static void AddListItem(QComboBox* list, const QString& text, qint32 id);
    static void AddListItem(QListWidget* list, const QString& text, qint32 id);
    static void FillCombo(QComboBox* list, const QString& sql, bool clearFirst);
    static void FillCheckList(QListWidget* list, const QString& sql);
    static qint32 GetItemId(const QComboBox* list);
    static qint32 ItemId(const QListWidget* list, int row);
    static void SelectItemId(QComboBox* list, qint32 id);
    static void CentreForm(QWidget* window, const QWidget* owner);
    // A saved placement moved and, where it is larger, shrunk onto the
    // available screen area (another monitor unplugged, a smaller display).
    static QRect FitOnScreen(const QRect& placement, const QRect& available);
    static void SelectAllText(QLineEdit* field);
    static void EnableToolbar(QToolBar* toolbar, bool enabled);
    // Gives a control that a user acts on and that has no accessible name
    // one: the text of the label beside it in its layout (or above it), else
    // its tool tip, else its placeholder text. Its tool tip stays its
    // description. NameControls does it for every control under `root`.
    static void NameControl(QWidget* control);
    static void NameControls(QWidget* root);
    // The name NameControl would give, empty when there is none.
    static QString NameFromLayout(const QWidget* control);
};
