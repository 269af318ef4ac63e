#include "print/ClsViewPro.h"

#include "base/ColourUtil.h"
#include "base/ErrorLog.h"
#include "base/ErrorTrap.h"
#include "base/ModalWindow.h"
#include "base/ProgramState.h"
#include "print/PageSizes.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <algorithm>
#include <cmath>

const QString ClsViewPro::PageCountField = QStringLiteral("&[Pages]");

namespace {
// Margins around the printable area, in twips: half an inch left and right,
// three quarters of an inch above and below, where the header and the
// footer are drawn.
constexpr int kMarginSide = 720;
constexpr int kMarginEnd = 1080;
// Space between the header (or footer) and the printable area.
constexpr int kFrameGap = 120;
// Lines are drawn half a point wide.
constexpr int kPenWidth = 10;
// Thousandths of the width kept free between a cell's text and its lines.
constexpr int kCellPadding = 3;
constexpr int kTwipsPerPoint = 20;

// A text is drawn on one line: line breaks and other control characters
// become blanks.
QString OneLine(QString text) {
    for (QChar& c : text)
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    return text;
}

QStringList ThreeParts(const QString& left, const QString& centre, const QString& right) {
    return {OneLine(left), OneLine(centre), OneLine(right)};
}
} // namespace

ClsViewPro::ClsViewPro() {
    SetFont(QStringLiteral("Arial"), 10, 0, false, false);
    SetPageSize(PageSizes::Default);
}

ClsViewPro::~ClsViewPro() {
    QObject::disconnect(m_paintConnection);
    QObject::disconnect(m_destroyedConnection);
}

void ClsViewPro::Attach(QPrintPreviewWidget* surface) {
    TrapSilent([&] {
        QObject::disconnect(m_paintConnection);
        QObject::disconnect(m_destroyedConnection);
        m_surface = surface;
        if (!surface)
            return;
        m_paintConnection = QObject::connect(surface, &QPrintPreviewWidget::paintRequested, surface,
                                             [this](QPrinter* printer) {
                                                 ApplyPageSize(printer);
                                                 PaintTo(printer, 1, PageCount());
                                             });
        m_destroyedConnection = QObject::connect(surface, &QObject::destroyed, surface,
                                                 [this] { m_surface = nullptr; });
        SetZoom(m_zoom);
    });
}

void ClsViewPro::SetCurrentPage(int page) {
    TrapSilent([&] {
        if (m_pages.isEmpty())
            return;
        m_currentPage = std::clamp(page, 1, PageCount());
        if (m_surface && !m_open)
            m_surface->setCurrentPage(m_currentPage);
    });
}

int ClsViewPro::CurrentPage() const {
    // The user may have scrolled the preview to another page.
    if (m_surface && !m_open && m_surface->pageCount() == PageCount() && PageCount() > 0)
        return m_surface->currentPage();
    return m_currentPage;
}

void ClsViewPro::SetPageSize(int code) {
    TrapSilent([&] {
        m_pageSizeCode = PageSizes::IsValid(code) ? code : PageSizes::Default;
        const QSizeF points = PageSizes::Size(m_pageSizeCode).size(QPageSize::Point);
        m_paperWidth = int(std::lround(points.width() * kTwipsPerPoint));
        m_paperHeight = int(std::lround(points.height() * kTwipsPerPoint));
        m_marginLeft = m_marginRight = kMarginSide;
        m_marginTop = m_marginBottom = kMarginEnd;
        if (!m_open && !m_pages.isEmpty())
            RefreshSurface();
    });
}

void ClsViewPro::SetZoom(int percent) {
    TrapSilent([&] {
        m_zoom = std::clamp(percent, 10, 1000);
        if (m_surface) {
            m_surface->setZoomMode(QPrintPreviewWidget::CustomZoom);
            m_surface->setZoomFactor(m_zoom / 100.0);
        }
    });
}

int ClsViewPro::DeviceX(int x) const {
    return int(qint64(x) * Width() / 1000);
}
int ClsViewPro::DeviceY(int y) const {
    return int(qint64(y) * Height() / 1000);
}

ClsViewPro::Page* ClsViewPro::Current() {
    return m_open && !m_pages.isEmpty() ? &m_pages.last() : nullptr;
}

void ClsViewPro::DrawBox(int x1, int y1, int x2, int y2) {
    TrapSilent([&] {
        DrawLine(x1, y1, x2, y1);
        DrawLine(x2, y1, x2, y2);
        DrawLine(x2, y2, x1, y2);
        DrawLine(x1, y2, x1, y1);
    });
}

void ClsViewPro::DrawLine(int x1, int y1, int x2, int y2) {
    TrapSilent([&] {
        Page* page = Current();
        if (!page)
            return;
        Item item;
        item.kind = Item::Line;
        item.x1 = DeviceX(x1);
        item.y1 = DeviceY(y1);
        item.x2 = DeviceX(x2);
        item.y2 = DeviceY(y2);
        item.colour = m_colour;
        page->items.append(item);
    });
}

void ClsViewPro::DrawText(int x, int y, const QString& text, int alignment) {
    TrapSilent([&] { AddText(x, y, text, alignment, -1); });
}

void ClsViewPro::DrawCellText(int x, int y, const QString& text, int alignment, int left,
                              int right) {
    TrapSilent([&] {
        const int pad = DeviceX(kCellPadding);
        const int dx = DeviceX(x);
        const int dl = DeviceX(left);
        const int dr = DeviceX(right);
        int room = 0;
        if (alignment == AlignCentre)
            room = 2 * std::min(dx - dl, dr - dx) - 2 * pad;
        else if (alignment == AlignRight)
            room = dx - dl - pad;
        else
            room = dr - dx - pad;
        AddText(x, y, text, alignment, std::max(room, 0));
    });
}

void ClsViewPro::AddText(int x, int y, QString text, int alignment, int maxWidth) {
    Page* page = Current();
    if (!page)
        return;
    text = OneLine(text);
    int width = MeasureWidth(text);
    if (maxWidth >= 0 && width > maxWidth) {
        text = QFontMetricsF(m_font).elidedText(text, Qt::ElideRight, maxWidth);
        width = MeasureWidth(text);
    }
    int left = DeviceX(x);
    if (alignment == AlignCentre)
        left -= width / 2;
    else if (alignment == AlignRight)
        left -= width;
    Item item;
    item.kind = Item::Text;
    item.x1 = left;
    item.y1 = DeviceY(y);
    item.x2 = left + width;
    item.y2 = item.y1 + int(std::lround(QFontMetricsF(m_font).height()));
    item.text = text;
    item.font = m_font;
    item.colour = m_colour;
    page->items.append(item);
}

int ClsViewPro::MeasureWidth(const QString& text) const {
    return int(std::ceil(QFontMetricsF(m_font).horizontalAdvance(text)));
}

void ClsViewPro::SetFont(const QString& name, int size, qint32 colour, bool bold, bool italic) {
    TrapSilent([&] {
        QFont font(name);
        // Sizes are kept in twips, the device unit, so that measuring does
        // not depend on the resolution of any screen or printer.
        font.setPixelSize(std::max(1, size * kTwipsPerPoint));
        font.setBold(bold);
        font.setItalic(italic);
        font.setHintingPreference(QFont::PreferNoHinting);
        m_font = font;
        m_colour = ColourUtil::ToColor(colour);
    });
}

void ClsViewPro::SetFooter(const QString& left, const QString& centre, const QString& right) {
    TrapSilent([&] {
        m_colour = Qt::black;
        m_footer = ThreeParts(left, centre, right);
        m_footerFont = m_font;
        if (Page* page = Current()) {
            page->footer = m_footer;
            page->footerFont = m_footerFont;
        }
    });
}

void ClsViewPro::SetHeader(const QString& left, const QString& centre, const QString& right) {
    TrapSilent([&] {
        m_colour = Qt::black;
        m_header = ThreeParts(left, centre, right);
        m_headerFont = m_font;
        if (Page* page = Current()) {
            page->header = m_header;
            page->headerFont = m_headerFont;
        }
    });
}

void ClsViewPro::NewPage() {
    TrapSilent([&] {
        if (!Current())
            return;
        Page page;
        page.header = m_header;
        page.footer = m_footer;
        page.headerFont = m_headerFont;
        page.footerFont = m_footerFont;
        m_pages.append(page);
    });
}

void ClsViewPro::StartDoc() {
    TrapSilent([&] {
        m_pages.clear();
        m_header.clear();
        m_footer.clear();
        m_pages.append(Page());
        m_currentPage = 1;
        m_open = true;
    });
}

void ClsViewPro::EndDoc() {
    TrapSilent([&] {
        if (!m_open)
            return;
        m_open = false;
        RefreshSurface();
    });
}

void ClsViewPro::RefreshSurface() {
    if (!m_surface)
        return;
    m_surface->updatePreview();
    m_surface->setCurrentPage(m_currentPage);
}

int ClsViewPro::LineHeight() const {
    int result = 0;
    TrapSilent([&] {
        if (Height() > 0)
            result = int(std::lround(QFontMetricsF(m_font).height())) * 1000 / Height();
    });
    return result;
}

int ClsViewPro::TextWidth(const QString& text) const {
    int result = 0;
    TrapSilent([&] {
        if (Width() > 0)
            result = int(qint64(MeasureWidth(OneLine(text))) * 1000 / Width());
    });
    return result;
}

void ClsViewPro::ApplyPageSize(QPrinter* printer) const {
    printer->setPageSize(PageSizes::Size(m_pageSizeCode));
    printer->setPageOrientation(QPageLayout::Portrait);
    printer->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
    printer->setFullPage(true);
}

bool ClsViewPro::Print(QWidget* dialogParent) {
    bool printed = false;
    TrapSilent([&] {
        if (m_open || m_pages.isEmpty())
            return;
        QPrinter printer(QPrinter::HighResolution);
        ApplyPageSize(&printer);
        QPrintDialog dialog(&printer, dialogParent);
        dialog.setWindowTitle(QStringLiteral("Print"));
        dialog.setMinMax(1, PageCount());
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
        // Printing to a PDF file is how a workstation without a printer prints.
        dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
        if (ModalWindow::Show(&dialog) != QDialog::Accepted)
            return;
        int from = 1;
        int to = PageCount();
        if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
            from = std::max(printer.fromPage(), 1);
            to = std::min(std::max(printer.toPage(), from), PageCount());
        }
        printed = PaintTo(&printer, from, to);
    });
    return printed;
}

bool ClsViewPro::PaintTo(QPrinter* printer, int from, int to) const {
    bool painted = false;
    TrapSilent([&] {
        from = std::max(from, 1);
        to = std::min(to, PageCount());
        if (!printer || from > to)
            return;
        printer->setFullPage(true);
        QPainter painter;
        if (!painter.begin(printer)) {
            ReportError(1, QStringLiteral("The printer could not be opened"));
            return;
        }
        const double scale = printer->resolution() / double(TwipsPerInch);
        for (int page = from; page <= to; ++page) {
            if (page > from && !printer->newPage()) {
                ReportError(2, QStringLiteral("The printer could not start a new page"));
                painter.end();
                return;
            }
            painter.save();
            painter.scale(scale, scale);
            PaintPage(painter, page);
            painter.restore();
        }
        painted = painter.end();
        if (!painted)
            ReportError(3, QStringLiteral("The printer could not finish the document"));
    });
    return painted;
}

void ClsViewPro::PaintPage(QPainter& painter, int page) const {
    TrapSilent([&] {
        if (page < 1 || page > PageCount())
            return;
        const Page& p = m_pages[page - 1];
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        painter.translate(m_marginLeft, m_marginTop);
        for (const Item& item : p.items) {
            if (item.kind == Item::Line) {
                painter.setPen(QPen(item.colour, kPenWidth, Qt::SolidLine, Qt::SquareCap));
                painter.drawLine(item.x1, item.y1, item.x2, item.y2);
            } else {
                painter.setPen(item.colour);
                painter.setFont(item.font);
                painter.drawText(QPointF(item.x1, item.y1 + QFontMetricsF(item.font).ascent()),
                                 item.text);
            }
        }
        painter.setPen(Qt::black);
        const int headerHeight = int(std::lround(QFontMetricsF(p.headerFont).height()));
        PaintFrameLine(painter, p.header, p.headerFont, -kFrameGap - headerHeight, PageCount());
        PaintFrameLine(painter, p.footer, p.footerFont, Height() + kFrameGap, PageCount());
        painter.restore();
    });
}

void ClsViewPro::PaintFrameLine(QPainter& painter, const QStringList& parts, const QFont& font,
                                int top, int pageCount) const {
    if (parts.size() != 3)
        return;
    const QFontMetricsF metrics(font);
    painter.setFont(font);
    const double baseline = top + metrics.ascent();
    for (int i = 0; i < 3; ++i) {
        QString text = parts[i];
        text.replace(PageCountField, QString::number(pageCount));
        if (text.isEmpty())
            continue;
        const double width = metrics.horizontalAdvance(text);
        double left = 0;
        if (i == 1)
            left = (Width() - width) / 2;
        else if (i == 2)
            left = Width() - width;
        painter.drawText(QPointF(left, baseline), text);
    }
}

const ClsViewPro::Page& ClsViewPro::PageAt(int page) const {
    static const Page none;
    if (page < 1 || page > PageCount())
        return none;
    return m_pages[page - 1];
}

void ClsViewPro::ReportError(int number, const QString& description) const {
    if (ProgramState::IsRunning())
        ErrorLog::Write(QStringLiteral("ViewPro Error (") + QString::number(number) +
                        QStringLiteral("): ") + description);
}
