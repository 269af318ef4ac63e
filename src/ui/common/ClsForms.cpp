#include "ui/common/ClsForms.h"

#include "base/ErrorTrap.h"
#include "data/ClsDAO.h"
#include "data/Database.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAction>
#include <QBoxLayout>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QToolBar>
#include <QRegularExpression>
#include <QWidget>

void ClsForms::AddListItem(QComboBox* list, const QString& text, qint32 id) {
    TrapSilent([&] { list->addItem(text, id); });
}

void ClsForms::AddListItem(QListWidget* list, const QString& text, qint32 id) {
    TrapSilent([&] {
        auto* item = new QListWidgetItem(text, list);
        item->setData(ItemRole, id);
    });
}

void ClsForms::FillCombo(QComboBox* list, const QString& sql, bool clearFirst) {
    TrapSilent([&] {
        if (clearFirst)
            list->clear();
        Recordset rs = Database::DAO().SqlQuery(sql);
        if (!rs.IsOpen())
            return;
        while (!rs.Eof()) {
            QCoreApplication::processEvents();
            TrapSilent([&] { AddListItem(list, rs.Fields(0).Text(), rs.Fields(1).Long()); });
            rs.MoveNext();
        }
    });
}

void ClsForms::FillCheckList(QListWidget* list, const QString& sql) {
    TrapSilent([&] {
        list->clear();
        Recordset rs = Database::DAO().SqlQuery(sql);
        if (!rs.IsOpen())
            return;
        while (!rs.Eof()) {
            QCoreApplication::processEvents();
            TrapSilent([&] {
                const int before = list->count();
                AddListItem(list, rs.Fields(1).Text(), rs.Fields(2).Long());
                if (list->count() == before)
                    return;
                QListWidgetItem* item = list->item(list->count() - 1);
                item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
                item->setCheckState(Qt::Unchecked);
                if (rs.Fields(0).Long() != 0)
                    item->setCheckState(Qt::Checked);
            });
            rs.MoveNext();
        }
    });
}

qint32 ClsForms::GetItemId(const QComboBox* list) {
    qint32 id = 0;
    TrapSilent([&] {
        if (list && list->currentIndex() >= 0)
            id = list->currentData(ItemRole).toInt();
    });
    return id;
}

qint32 ClsForms::ItemId(const QListWidget* list, int row) {
    qint32 id = 0;
    TrapSilent([&] {
        if (list && row >= 0 && row < list->count())
            id = list->item(row)->data(ItemRole).toInt();
    });
    return id;
}

void ClsForms::SelectItemId(QComboBox* list, qint32 id) {
    TrapSilent([&] {
        if (list->count() == 0)
            return;
        int index = 0;
        for (int i = 0; i < list->count(); ++i) {
            if (list->itemData(i, ItemRole).toInt() == id) {
                index = i;
                break;
            }
        }
        list->setCurrentIndex(index);
        // The signals a user's choice emits, so the window's handler runs.
        emit list->activated(index);
        emit list->textActivated(list->itemText(index));
    });
}

void ClsForms::CentreForm(QWidget* window, const QWidget* owner) {
    TrapSilent([&] {
        QRect area;
        if (owner) {
            area = owner->frameGeometry();
        } else {
            const QScreen* screen =
                window->screen() ? window->screen() : QGuiApplication::primaryScreen();
            area = QRect(QPoint(0, 0), screen ? screen->size() : QSize(1024, 768));
        }
        const QSize size = window->frameGeometry().size();
        const int left = area.left() + area.width() / 2 - size.width() / 2;
        const int top = area.top() + area.height() / 2 - size.height() / 2;
        window->move(left, top);
    });
}

QRect ClsForms::FitOnScreen(const QRect& placement, const QRect& available) {
    if (!available.isValid())
        return placement;
    QRect r = placement;
    r.setWidth(qBound(1, r.width(), available.width()));
    r.setHeight(qBound(1, r.height(), available.height()));
    r.moveLeft(qBound(available.left(), r.left(), available.right() - r.width() + 1));
    r.moveTop(qBound(available.top(), r.top(), available.bottom() - r.height() + 1));
    return r;
}

void ClsForms::SelectAllText(QLineEdit* field) {
    TrapSilent([&] {
        // Selected from the end back to the start, which leaves the caret at
        // the start (selectAll would put it at the end).
        const int length = int(field->text().size());
        field->setSelection(length, -length);
    });
}

void ClsForms::EnableToolbar(QToolBar* toolbar, bool enabled) {
    TrapSilent([&] {
        for (QAction* action : toolbar->actions())
            TrapSilent([&] { action->setEnabled(enabled); });
    });
}

namespace {

// The layouts from `layout` down to the one that holds `widget`, each with
// the index of the item that leads to it; empty when none holds it.
QList<std::pair<QLayout*, int>> LayoutPath(QLayout* layout, const QWidget* widget) {
    for (int i = 0; layout && i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->widget() == widget)
            return {{layout, i}};
        QList<std::pair<QLayout*, int>> inner = LayoutPath(item->layout(), widget);
        if (!inner.isEmpty()) {
            inner.prepend({layout, i});
            return inner;
        }
    }
    return {};
}

// The label of a control in its window's layouts: the label of its form row,
// the label left of it in a grid, the label before it in a row or column.
// A control that starts a row nested in another layout takes that row's label.
const QLabel* LabelBeside(const QWidget* widget) {
    const QWidget* parent = widget->parentWidget();
    const QList<std::pair<QLayout*, int>> path =
        parent ? LayoutPath(parent->layout(), widget) : QList<std::pair<QLayout*, int>>();
    for (qsizetype level = path.size() - 1; level >= 0; --level) {
        QLayout* layout = path[level].first;
        const int index = path[level].second;
        QLayoutItem* item = layout->itemAt(index);
        if (auto* form = qobject_cast<QFormLayout*>(layout)) {
            QWidget* label = item->widget() ? form->labelForField(item->widget())
                                            : form->labelForField(item->layout());
            return qobject_cast<const QLabel*>(label);
        }
        if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
            int row = 0, column = 0, rows = 0, columns = 0;
            grid->getItemPosition(index, &row, &column, &rows, &columns);
            for (int c = column - 1; c >= 0; --c) {
                const QLayoutItem* left = grid->itemAtPosition(row, c);
                if (left && left->widget())
                    return qobject_cast<const QLabel*>(left->widget());
            }
            return nullptr;
        }
        // A row or column: the label before it, to its left or above it.
        for (int i = index - 1; i >= 0; --i)
            if (const QWidget* before = layout->itemAt(i)->widget())
                return qobject_cast<const QLabel*>(before);
    }
    return nullptr;
}

QString Plain(QString text) {
    if (Qt::mightBeRichText(text))
        text = QTextDocumentFragment::fromHtml(text).toPlainText();
    text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    text = text.simplified();
    while (text.endsWith(u':'))
        text.chop(1);
    return text;
}

bool ActedOn(const QWidget* widget) {
    if (qobject_cast<const QScrollBar*>(widget))
        return false; // part of its scroll area
    return qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QComboBox*>(widget) ||
           qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget) ||
           qobject_cast<const QAbstractSlider*>(widget) ||
           qobject_cast<const QAbstractItemView*>(widget) || qobject_cast<const QTextEdit*>(widget) ||
           qobject_cast<const QPlainTextEdit*>(widget);
}

} // namespace

QString ClsForms::NameFromLayout(const QWidget* control) {
    // The part that takes the focus of a composite control (a list's tree)
    // goes by the composite's name.
    const QWidget* parent = control->parentWidget();
    if (parent && !parent->isWindow() && parent->focusProxy() == control) {
        if (!parent->accessibleName().isEmpty())
            return parent->accessibleName();
        const QString name = NameFromLayout(parent);
        if (!name.isEmpty())
            return name;
    }
    QString name;
    if (const QLabel* label = LabelBeside(control))
        name = Plain(label->text());
    if (name.isEmpty())
        name = Plain(control->toolTip());
    if (name.isEmpty())
        if (auto* edit = qobject_cast<const QLineEdit*>(control))
            name = edit->placeholderText();
    // Last, the title of the frame around it.
    if (auto* frame = qobject_cast<const QGroupBox*>(parent); name.isEmpty() && frame)
        name = Plain(frame->title());
    return name;
}

void ClsForms::NameControl(QWidget* control) {
    if (!control || !ActedOn(control))
        return;
    if (control->accessibleName().isEmpty()) {
        // A combo box's own name is its current text: its label names it better.
        QAccessibleInterface* face = qobject_cast<QComboBox*>(control)
                                         ? nullptr
                                         : QAccessible::queryAccessibleInterface(control);
        QString name = face ? face->text(QAccessible::Name).trimmed() : QString();
        if (name.isEmpty()) {
            // The button that shows the commands a narrow toolbar has no room for.
            name = control->objectName() == QLatin1String("qt_toolbar_ext_button")
                       ? QStringLiteral("More commands")
                       : NameFromLayout(control);
            if (!name.isEmpty())
                control->setAccessibleName(name);
        }
    }
    // A combo box's drop-down list lives in a popup window of its own, which
    // assistive technology lists before it ever opens: it goes by the box's name.
    if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->view() &&
                                                          combo->view()->accessibleName().isEmpty()) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(combo);
        const QString name =
            !combo->accessibleName().isEmpty() ? combo->accessibleName()
                                               : (face ? face->text(QAccessible::Name) : QString());
        combo->view()->setAccessibleName(name);
    }
}

void ClsForms::NameControls(QWidget* root) {
    if (!root)
        return;
    NameControl(root);
    for (QWidget* child : root->findChildren<QWidget*>())
        NameControl(child);
}
