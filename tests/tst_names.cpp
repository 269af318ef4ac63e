// Every control a user acts on reaches assistive technology with a name, in
// every window, and lies clear of the others; text on coloured bars contrasts; the platform's palette
// reaches the schedule.

#include "MainFixture.h"

#include "base/ColourUtil.h"
#include "ui/controls/ScheduleView.h"
#include "ui/help/HelpSystem.h"
#include "ui/main/DlgMain.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLayout>
#include <QtTest>

namespace {

bool ActedOn(QAccessible::Role role) {
    switch (role) {
    case QAccessible::Button: case QAccessible::CheckBox: case QAccessible::RadioButton:
    case QAccessible::ComboBox: case QAccessible::EditableText: case QAccessible::SpinBox:
    case QAccessible::Slider: case QAccessible::List: case QAccessible::Table:
    case QAccessible::Tree: case QAccessible::ListItem: case QAccessible::Cell:
    case QAccessible::TreeItem: case QAccessible::ButtonMenu: case QAccessible::ButtonDropDown:
    case QAccessible::PageTab: case QAccessible::Dial: case QAccessible::HotkeyField:
        return true;
    default:
        return false;
    }
}

QString Where(QAccessibleInterface* face) {
    for (QAccessibleInterface* f = face; f; f = f->parent())
        if (f->object() && !f->object()->objectName().isEmpty())
            return f->object()->objectName() + (f == face ? QString() : QStringLiteral(" (part)"));
    return QStringLiteral("?");
}

// Walks the accessible tree under `face`; counts the controls a user acts
// on and lists those without a name. A cell counts as named when its row
// shows text in any column.
void Walk(QAccessibleInterface* face, int* named, QStringList* unnamed, int depth = 0) {
    if (!face || depth > 40 || face->state().invisible)
        return;
    QAccessibleTableCellInterface* cell = face->tableCellInterface();
    // A row of a list counts once, by its first cell.
    if (ActedOn(face->role()) && (!cell || cell->columnIndex() == 0)) {
        bool hasName = !face->text(QAccessible::Name).trimmed().isEmpty();
        if (!hasName && cell)
                if (QAccessibleTableInterface* table = cell->table()->tableInterface())
                    for (int c = 0; c < table->columnCount() && !hasName; ++c)
                        if (QAccessibleInterface* other = table->cellAt(cell->rowIndex(), c))
                            hasName = !other->text(QAccessible::Name).trimmed().isEmpty();
        const QString what = Where(face) + QStringLiteral(" [") +
                             QString::number(int(face->role()), 16) + QStringLiteral("] ") +
                             face->text(QAccessible::Name);
        if (qEnvironmentVariableIsSet("TARVELO_LIST_NAMES"))
            qInfo().noquote() << (hasName ? "named  " : "UNNAMED") << what;
        if (hasName)
            ++*named;
        else
            unnamed->append(what);
    }
    for (int i = 0; i < face->childCount(); ++i)
        Walk(face->child(i), named, unnamed, depth + 1);
}

bool Holds(const QLayout* layout, const QWidget* w) {
    if (layout && layout->menuBar() == w)
        return true;
    for (int i = 0; layout && i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->widget() == w || Holds(item->layout(), w))
            return true;
    }
    return false;
}

// The visible controls under `window` a user acts on that overlap another,
// or that no layout places (they would neither move nor grow with the window).
QStringList Misplaced(QWidget* window) {
    QList<QWidget*> controls;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        QAccessibleInterface* face = w->isVisible() ? QAccessible::queryAccessibleInterface(w) : nullptr;
        if (face && (ActedOn(face->role()) || face->role() == QAccessible::MenuBar) &&
            !w->objectName().startsWith(QLatin1String("qt_")))
            controls << w;
    }
    QStringList found;
    for (QWidget* w : controls) {
        const QWidget* parent = w->parentWidget();
        if (parent && parent->layout() && !Holds(parent->layout(), w))
            found << Where(QAccessible::queryAccessibleInterface(w)) + QStringLiteral(" outside its layout");
    }
    for (int i = 0; i < controls.size(); ++i)
        for (int j = i + 1; j < controls.size(); ++j) {
            QWidget* a = controls[i];
            QWidget* b = controls[j];
            if (a->isAncestorOf(b) || b->isAncestorOf(a) || a->window() != b->window())
                continue;
            const QRect ra(a->mapTo(window, QPoint(0, 0)), a->size());
            const QRect rb(b->mapTo(window, QPoint(0, 0)), b->size());
            if (ra.intersects(rb))
                found << Where(QAccessible::queryAccessibleInterface(a)) + QStringLiteral(" over ") +
                             Where(QAccessible::queryAccessibleInterface(b));
        }
    return found;
}

} // namespace

class TstNames : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        REQUIRE_TEST_ENGINE();
        HelpSystem::Install();
    }
    void cleanupTestCase() { HelpSystem::Quit(); }
    void everyControlHasAName_data();
    void everyControlHasAName();
    void textOnBarsContrasts_data();
    void textOnBarsContrasts();
    void darkPaletteReachesTheSchedule();
};

void TstNames::everyControlHasAName_data() {
    // Steps: "booking" opens the booking dialog on a slot, any other step
    // triggers the action or clicks the button of that name in the window
    // open last. "=Name" walks that widget (a popup, a window without a
    // modal loop) instead of the last modal window.
    QTest::addColumn<QString>("steps");
    QTest::newRow("main window") << "";
    QTest::newRow("booking") << "booking";
    QTest::newRow("repeat") << "booking BtnTask1";
    QTest::newRow("preview") << "booking Print";
    QTest::newRow("appointment type") << "booking mnuTaskAdd";
    QTest::newRow("contact") << "booking mnuContactAdd";
    QTest::newRow("calendar") << "mnuBookingChange";
    QTest::newRow("search") << "mnuBookingSearch";
    QTest::newRow("history") << "mnuBookingHistory";
    QTest::newRow("group") << "mnuResourceEditGroup";
    QTest::newRow("resource") << "mnuResourceEdit";
    QTest::newRow("template") << "mnuResourceLoadTemplate";
    QTest::newRow("config") << "mnuFileConfiguration";
    QTest::newRow("colour palette") << "mnuFileConfiguration BtnColour0 =ColourPick";
    QTest::newRow("export calendar") << "mnuTransferExportCalendar";
    QTest::newRow("restore") << "mnuTransferRestore";
    QTest::newRow("help") << "mnuHelpContents =HelpWindow";
}

void TstNames::everyControlHasAName() {
    QFETCH(QString, steps);
    MainFixture f;
    f.Clinic();
    f.Open();
    f.main->show();
    f.main->SelectResource(10);
    QStringList todo = steps.split(' ', Qt::SkipEmptyParts);
    QString target;
    if (!todo.isEmpty() && todo.last().startsWith('='))
        target = todo.takeLast().mid(1);
    int named = 0;
    QStringList unnamed;
    bool walked = false;
    QStringList overlaps;
    const auto walk = [&](QWidget* window) {
        walked = true;
        Walk(QAccessible::queryAccessibleInterface(window), &named, &unnamed);
        overlaps = Misplaced(window);
    };
    const auto step = [&](QWidget* window, const QString& name) {
        if (name == QLatin1String("booking"))
            f.main->OpenBooking(600, 10, 20, MainFixture::kToday);
        else if (auto* action = window->findChild<QAction*>(name))
            action->trigger();
        else if (auto* button = window->findChild<QAbstractButton*>(name))
            button->click();
        else
            QFAIL(qPrintable("no " + name));
    };
    f.env.onModal = [&](QDialog* dialog) {
        dialog->show();
        if (!todo.isEmpty())
            step(dialog, todo.takeFirst());
        if (!walked) {
            QWidget* popup = target.isEmpty() ? nullptr : dialog->findChild<QWidget*>(target);
            walk(popup ? popup : dialog);
        }
        dialog->hide();
        return int(QDialog::Rejected);
    };
    if (!todo.isEmpty())
        step(f.main.get(), todo.takeFirst());
    for (QWidget* top : QApplication::allWidgets())
        if (!walked && !target.isEmpty() && top->objectName() == target && top->isVisible())
            walk(top);
    if (steps.isEmpty())
        walk(f.main.get());
    QVERIFY2(walked, "the window did not open");
    QVERIFY(named > 0);
    if (qEnvironmentVariableIsSet("TARVELO_LIST_NAMES"))
        qInfo() << QTest::currentDataTag() << "named" << named << "unnamed" << unnamed.size();
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral("; "))));
    QVERIFY2(overlaps.isEmpty(), qPrintable(overlaps.join(QStringLiteral("; "))));
}

void TstNames::textOnBarsContrasts_data() {
    QTest::addColumn<QColor>("bar");
    QTest::addColumn<QColor>("text");
    QTest::newRow("white") << QColor(Qt::white) << QColor(Qt::black);
    QTest::newRow("navy") << QColor(0, 0, 128) << QColor(Qt::white);
    QTest::newRow("mid green reads better in black") << QColor(0, 160, 0) << QColor(Qt::black);
    QTest::newRow("red reads better in white") << QColor(220, 40, 40) << QColor(Qt::white);
}

void TstNames::textOnBarsContrasts() {
    QFETCH(QColor, bar);
    QFETCH(QColor, text);
    QCOMPARE(SchedulePainter::TextOn(bar), text);
}

void TstNames::darkPaletteReachesTheSchedule() {
    MainFixture f;
    f.Clinic();
    f.Open();
    QPalette dark = f.main->palette();
    for (auto [role, colour] : {std::pair{QPalette::Base, QColor(30, 30, 30)},
                                {QPalette::Window, QColor(45, 45, 45)},
                                {QPalette::Button, QColor(50, 50, 50)},
                                {QPalette::Mid, QColor(70, 70, 70)}})
        dark.setColor(role, colour);
    f.main->setPalette(dark);
    f.main->resize(900, 600);
    f.main->show();
    const QImage shot = f.Sched()->viewport()->grab().toImage();
    // Below the two rows the grid shows the bare background; the names
    // column and the ruler their own colours.
    QCOMPARE(shot.pixelColor(shot.width() - 4, shot.height() - 4), QColor(30, 30, 30));
    QCOMPARE(shot.pixelColor(2, shot.height() - 4), QColor(45, 45, 45));
    // A bar without a contact to show names its type.
    QCOMPARE(f.Sched()->BarText(1, 1), QStringLiteral("Surgery"));
}

QTEST_MAIN(TstNames)
#include "tst_names.moc"
