#pragma once

#include "ui/controls/PaintedItems.h"

#include <QWidget>

// A popup palette of 48 colours in eight rows of six (greys, reds, oranges,
// yellows, greens, cyans, blues, magentas, light to dark). It starts from a
// current colour, which is marked when it is one of the 48 and is shown in the
// strip below the swatches in any case. A click on a swatch (or Enter on the
// swatch chosen with the arrow keys) closes the popup and reports the colour
// as a stored RGB number (red in the low byte, see ColourUtil). Escape or a
// click outside closes it without a choice. To assistive technology each
// swatch is a button named by its nearest colour name.
class ColourPalette : public QWidget, public PaintedItems {
    Q_OBJECT
public:
    static constexpr int Rows = 8;
    static constexpr int Columns = 6;
    static constexpr int Count = Rows * Columns;

    explicit ColourPalette(QWidget* parent = nullptr);

    // The palette colour at index 0..47 (row by row) as a stored RGB number.
    static qint32 PaletteColour(int index);
    // Index of a stored RGB number in the palette, or -1.
    static int IndexOf(qint32 rgb);

    qint32 Colour() const { return m_colour; }
    void SetColour(qint32 rgb);
    // The swatch marked by the keyboard cursor, -1 when none.
    int SelectedIndex() const { return m_cursor; }

    // Pops the palette up below the anchor widget (above it when there is no
    // room below), kept on the anchor's screen.
    void ShowPalette(QWidget* anchor);
    void ShowPalette(const QPoint& globalTopLeft);

    // Geometry of the swatches, in the palette's own coordinates.
    QRect CellRect(int index) const;
    int IndexAt(const QPoint& pos) const;
    QRect CurrentStripRect() const;

    QSize sizeHint() const override;

    const QWidget* ItemsWidget() const override { return this; }
    int ItemCount() const override { return Count; }
    QString ItemName(int index) const override;
    QString ItemDescription(int index) const override;
    QRect ItemRect(int index) const override { return CellRect(index); }
    bool ItemCurrent(int index) const override { return index == m_cursor; }
    void PressItem(int index) override { Choose(index); }

signals:
    void ColorClick(qint32 rgb);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void Choose(int index);
    void MoveCursor(int rowStep, int columnStep);

    qint32 m_colour = 0;
    int m_cursor = -1;
    int m_hover = -1;
};
