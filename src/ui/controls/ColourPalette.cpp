#include "ui/controls/ColourPalette.h"

#include "base/ColourUtil.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QToolTip>
#include <array>

namespace {

// Red, green, blue as written on screen (0xRRGGBB), row by row.
constexpr std::array<quint32, ColourPalette::Count> kPalette = {
    0xFFFFFF, 0xE0E0E0, 0xC0C0C0, 0x808080, 0x404040, 0x000000, // greys
    0xFFC0C0, 0xFF8080, 0xFF0000, 0xC00000, 0x800000, 0x400000, // reds
    0xFFE0C0, 0xFFC080, 0xFF8000, 0xC04000, 0x804000, 0x804040, // oranges
    0xFFFFC0, 0xFFFF80, 0xFFFF00, 0xC0C000, 0x808000, 0x404000, // yellows
    0xC0FFC0, 0x80FF80, 0x00FF00, 0x00C000, 0x008000, 0x004000, // greens
    0xC0FFFF, 0x80FFFF, 0x00FFFF, 0x00C0C0, 0x008080, 0x004040, // cyans
    0xC0C0FF, 0x8080FF, 0x0000FF, 0x0000C0, 0x000080, 0x000040, // blues
    0xFFC0FF, 0xFF80FF, 0xFF00FF, 0xC000C0, 0x800080, 0x400040, // magentas
};

constexpr int kCell = 20;  // side of one swatch
constexpr int kGap = 4;    // space between swatches
constexpr int kMargin = 6; // space around the grid
constexpr int kStrip = 14; // height of the current-colour strip

QColor ScreenColour(int index) {
    const quint32 v = kPalette[std::size_t(index)];
    return QColor(int((v >> 16) & 0xFF), int((v >> 8) & 0xFF), int(v & 0xFF));
}

} // namespace

ColourPalette::ColourPalette(QWidget* parent) : QWidget(parent, Qt::Popup) {
    setAccessibleName(QStringLiteral("Colour palette"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFixedSize(sizeHint());
}

qint32 ColourPalette::PaletteColour(int index) {
    if (index < 0 || index >= Count)
        return 0;
    return ColourUtil::FromColor(ScreenColour(index));
}

int ColourPalette::IndexOf(qint32 rgb) {
    for (int i = 0; i < Count; ++i)
        if (PaletteColour(i) == rgb)
            return i;
    return -1;
}

QString ColourPalette::ItemName(int index) const {
    return ColourUtil::NearestCssName(PaletteColour(index));
}

QString ColourPalette::ItemDescription(int index) const {
    return ScreenColour(index).name().toUpper();
}

void ColourPalette::SetColour(qint32 rgb) {
    m_colour = rgb;
    m_cursor = IndexOf(rgb);
    update();
}

QSize ColourPalette::sizeHint() const {
    const int w = 2 * kMargin + Columns * kCell + (Columns - 1) * kGap;
    const int h = 2 * kMargin + Rows * kCell + (Rows - 1) * kGap + kGap + kStrip;
    return QSize(w, h);
}

QRect ColourPalette::CellRect(int index) const {
    if (index < 0 || index >= Count)
        return {};
    const int row = index / Columns;
    const int column = index % Columns;
    return QRect(kMargin + column * (kCell + kGap), kMargin + row * (kCell + kGap), kCell, kCell);
}

int ColourPalette::IndexAt(const QPoint& pos) const {
    for (int i = 0; i < Count; ++i)
        if (CellRect(i).contains(pos))
            return i;
    return -1;
}

QRect ColourPalette::CurrentStripRect() const {
    const QRect last = CellRect(Count - 1);
    return QRect(kMargin, last.bottom() + 1 + kGap, width() - 2 * kMargin, kStrip);
}

void ColourPalette::ShowPalette(QWidget* anchor) {
    if (!anchor) {
        ShowPalette(QCursor::pos());
        return;
    }
    const QPoint below = anchor->mapToGlobal(QPoint(0, anchor->height()));
    const QScreen* screen = anchor->screen() ? anchor->screen() : QGuiApplication::primaryScreen();
    QPoint pos = below;
    if (screen) {
        const QRect area = screen->availableGeometry();
        if (pos.y() + height() > area.bottom() + 1)
            pos.setY(anchor->mapToGlobal(QPoint(0, 0)).y() - height());
        pos.setX(qBound(area.left(), pos.x(), qMax(area.left(), area.right() + 1 - width())));
        pos.setY(qMax(area.top(), pos.y()));
    }
    ShowPalette(pos);
}

void ColourPalette::ShowPalette(const QPoint& globalTopLeft) {
    m_hover = -1;
    move(globalTopLeft);
    show();
    raise();
    setFocus(Qt::PopupFocusReason);
}

void ColourPalette::Choose(int index) {
    if (index < 0 || index >= Count)
        return;
    const qint32 rgb = PaletteColour(index);
    SetColour(rgb);
    hide();
    emit ColorClick(rgb);
}

void ColourPalette::MoveCursor(int rowStep, int columnStep) {
    if (m_cursor < 0) {
        m_cursor = 0;
    } else {
        const int row = qBound(0, m_cursor / Columns + rowStep, Rows - 1);
        const int column = qBound(0, m_cursor % Columns + columnStep, Columns - 1);
        m_cursor = row * Columns + column;
    }
    update();
    QAccessibleEvent moved(this, QAccessible::Focus);
    moved.setChild(m_cursor);
    QAccessible::updateAccessibility(&moved);
}

bool ColourPalette::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int index = IndexAt(help->pos());
        if (index >= 0)
            QToolTip::showText(help->globalPos(), ScreenColour(index).name().toUpper(), this,
                               CellRect(index));
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void ColourPalette::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    const QColor frame = palette().color(QPalette::Shadow);
    const QColor mark = palette().color(QPalette::Highlight);
    for (int i = 0; i < Count; ++i) {
        const QRect cell = CellRect(i);
        p.fillRect(cell, ScreenColour(i));
        p.setPen(frame);
        p.drawRect(cell.adjusted(0, 0, -1, -1));
        if (i == m_cursor || i == m_hover) {
            p.setPen(QPen(i == m_cursor ? mark : frame, 2));
            p.drawRect(cell.adjusted(-2, -2, 1, 1));
        }
    }
    const QRect strip = CurrentStripRect();
    p.fillRect(strip, ColourUtil::ToColor(m_colour));
    p.setPen(frame);
    p.drawRect(strip.adjusted(0, 0, -1, -1));
}

void ColourPalette::mouseMoveEvent(QMouseEvent* event) {
    const int index = IndexAt(event->position().toPoint());
    if (index != m_hover) {
        m_hover = index;
        update();
    }
}

void ColourPalette::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint pos = event->position().toPoint();
    if (!rect().contains(pos)) {
        hide(); // a click outside the popup dismisses it
        return;
    }
    Choose(IndexAt(pos));
}

void ColourPalette::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Left:
        MoveCursor(0, -1);
        break;
    case Qt::Key_Right:
        MoveCursor(0, 1);
        break;
    case Qt::Key_Up:
        MoveCursor(-1, 0);
        break;
    case Qt::Key_Down:
        MoveCursor(1, 0);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        Choose(m_cursor);
        break;
    case Qt::Key_Escape:
        hide();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void ColourPalette::leaveEvent(QEvent* event) {
    m_hover = -1;
    update();
    QWidget::leaveEvent(event);
}
