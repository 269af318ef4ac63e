#include "ui/common/ClsForms.h"

#include "base/ErrorTrap.h"
#include "data/ClsDAO.h"
#include "data/Database.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QToolBar>
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
