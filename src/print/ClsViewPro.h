#pragma once

#include <QColor>
#include <QFont>
#include <QMetaObject>
#include <QString>
#include <QStringList>
#include <QVector>

class QPainter;
class QPrinter;
class QPrintPreviewWidget;
class QWidget;

// The page-description surface of the printed reports. A report places
// lines and texts in thousandths of the printable width (x, 0 to 1000) and
// height (y, 0 to 1000) of the page; the surface keeps them page by page in
// device units (twips, 1/1440 inch, from the top left corner of the printable
// area) and paints them onto whatever device is asked: the preview widget it
// is attached to, a printer, a PDF file. PaintPage is the one routine that
// draws a page for all of them.
//
// Each page has a header and a footer in three parts (left, centre, right),
// drawn in the top and bottom margins; in their texts PageCountField stands
// for the number of pages of the finished document.
//
// Every operation traps its own failures and then returns without effect.
class ClsViewPro {
public:
    enum Align { AlignLeft = 0, AlignCentre = 1, AlignRight = 2 };
    static const QString PageCountField;
    static constexpr int TwipsPerInch = 1440;

    // One thing drawn on a page, in device units from the top left corner of
    // the printable area. A line runs from (x1, y1) to (x2, y2); a text's top
    // left corner is (x1, y1) and (x2, y2) is the far corner of its box.
    struct Item {
        enum Kind { Line, Text };
        Kind kind = Line;
        int x1 = 0;
        int y1 = 0;
        int x2 = 0;
        int y2 = 0;
        QString text;
        QFont font;
        QColor colour;
    };
    struct Page {
        QVector<Item> items;
        QStringList header; // left, centre, right
        QStringList footer;
        QFont headerFont;
        QFont footerFont;
    };

    ClsViewPro();
    ~ClsViewPro();
    ClsViewPro(const ClsViewPro&) = delete;
    ClsViewPro& operator=(const ClsViewPro&) = delete;

    // The preview widget that shows the pages; it asks for them through
    // PaintTo whenever it needs them.
    void Attach(QPrintPreviewWidget* surface);
    QPrintPreviewWidget* Surface() const { return m_surface; }

    // Pages count from 1.
    void SetCurrentPage(int page);
    int CurrentPage() const;
    int PageCount() const { return int(m_pages.size()); }

    // A code of the twelve page sizes (1 Letter ... 12 B5); an unknown code
    // selects the default paper.
    void SetPageSize(int code);
    int PageSizeCode() const { return m_pageSizeCode; }
    void SetZoom(int percent);
    int Zoom() const { return m_zoom; }

    void DrawBox(int x1, int y1, int x2, int y2);
    void DrawLine(int x1, int y1, int x2, int y2);
    void DrawText(int x, int y, const QString& text, int alignment);
    // As DrawText, for a text that must stay inside the cell from left to
    // right (thousandths): a text too wide for its place is cut short with
    // an ellipsis.
    void DrawCellText(int x, int y, const QString& text, int alignment, int left, int right);
    void SetFont(const QString& name, int size, qint32 colour, bool bold, bool italic);
    void SetFooter(const QString& left, const QString& centre, const QString& right);
    void SetHeader(const QString& left, const QString& centre, const QString& right);
    void NewPage();
    void StartDoc();
    void EndDoc();
    // Prints every page through the platform's print dialog (shown through
    // the modal-window seam); a user without a printer chooses a PDF file
    // there. False when the user cancelled or the printer failed.
    bool Print(QWidget* dialogParent);
    // Height of one line of the current font, in thousandths of the height.
    int LineHeight() const;
    // Width of a text in the current font, in thousandths of the width.
    int TextWidth(const QString& text) const;

    // Paints pages from..to (counting from 1) onto a printer, one printer
    // page each; false (and a line in the error log) when it cannot be opened.
    bool PaintTo(QPrinter* printer, int from, int to) const;
    // Paints one page with the painter in twips of the paper, origin at the
    // paper's top left corner.
    void PaintPage(QPainter& painter, int page) const;

    // The page as it stands, for the painting and for tests.
    const Page& PageAt(int page) const;
    // The printable area and the margins, in device units.
    int Width() const { return m_paperWidth - m_marginLeft - m_marginRight; }
    int Height() const { return m_paperHeight - m_marginTop - m_marginBottom; }
    int PaperWidth() const { return m_paperWidth; }
    int PaperHeight() const { return m_paperHeight; }
    int MarginLeft() const { return m_marginLeft; }
    int MarginTop() const { return m_marginTop; }
    // Device units of a position in thousandths, by whole-number division.
    int DeviceX(int x) const;
    int DeviceY(int y) const;
    // The font of the current text: its size in twips, as pixels.
    QFont CurrentFont() const { return m_font; }

private:
    Page* Current();
    int MeasureWidth(const QString& text) const;
    void AddText(int x, int y, QString text, int alignment, int maxWidth);
    void PaintFrameLine(QPainter& painter, const QStringList& parts, const QFont& font, int top,
                        int pageCount) const;
    void ApplyPageSize(QPrinter* printer) const;
    void RefreshSurface();
    void ReportError(int number, const QString& description) const;

    QVector<Page> m_pages;
    int m_currentPage = 0;
    bool m_open = false;
    int m_pageSizeCode = 1;
    int m_zoom = 100;
    int m_paperWidth = 0;
    int m_paperHeight = 0;
    int m_marginLeft = 0;
    int m_marginTop = 0;
    int m_marginRight = 0;
    int m_marginBottom = 0;
    QFont m_font;
    QColor m_colour = Qt::black;
    QStringList m_header;
    QStringList m_footer;
    QFont m_headerFont;
    QFont m_footerFont;
    QPrintPreviewWidget* m_surface = nullptr;
    QMetaObject::Connection m_paintConnection;
    QMetaObject::Connection m_destroyedConnection;
};
