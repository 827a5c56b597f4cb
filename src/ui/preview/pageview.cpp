#include "pageview.h"

#include "core/numbers.h"
#include "platform/numberpainter.h"
#include "platform/printer.h"
#include "print/overlap.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace calvorigne {

namespace {

constexpr int gap = 16;       // around and between the pages, pixels
constexpr int captionHeight = 22;
constexpr int bandHeight = 40; // the turn instruction before a pass
constexpr int wideBandHeight = 72; // with what it means for the printer

// Without a printer of its own the view measures text on a 1200 dpi device, as a PDF file does.
const QPaintDevice& stand_inMetrics()
{
    static QImage device = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        image.setDotsPerMeterX(qRound(1200 / 0.0254));
        image.setDotsPerMeterY(qRound(1200 / 0.0254));
        return image;
    }();
    return device;
}

} // namespace

PageView::PageView(Printer& printer, QWidget* parent) : QAbstractScrollArea(parent), m_printer(printer)
{
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
}

void PageView::setPlan(const PrintPlan* plan)
{
    m_plan = plan;
    m_pages.clear();
    // Only the pages that take a sheet: a short last gathering leaves no blank sheet.
    // Texts on top of each other are shown where they clash; any other refusal leaves no page.
    if (plan && (plan->refusal.isEmpty() || plan->overlapping)) {
        for (int d = 0; d < int(plan->documents.size()); ++d) {
            const PlannedDocument& document = plan->documents[std::size_t(d)];
            const int sheets = document.sheets();
            for (int k = 0; k < sheets; ++k)
                m_pages.push_back({d, k, sheets, document.pass});
        }
    }
    layOut();
    viewport()->update();
}

void PageView::setTurnWords(const QString& words)
{
    m_turnWords = words;
    layOut();
    viewport()->update();
}

int PageView::band() const
{
    return m_turnWords.isEmpty() ? bandHeight : wideBandHeight;
}

void PageView::setBackground(const QImage& picture)
{
    m_background = picture;
    viewport()->update();
}

void PageView::setZoom(Zoom zoom)
{
    const int page = currentPage();
    m_zoom = zoom;
    layOut();
    showPage(page);
    // The page shown may not scroll, and the view must be drawn anew all the same.
    viewport()->update();
}

double PageView::scale() const
{
    const QSizeF paper = m_printer.sheet().size();
    const double width = std::max(1, viewport()->width() - 2 * gap) / paper.width();
    switch (m_zoom) {
    case Zoom::FitPage:
        return std::min(width, std::max(1, viewport()->height() - 2 * gap - captionHeight) / paper.height());
    case Zoom::FitWidth: return width;
    case Zoom::Actual: return logicalDpiX() / 25.4;
    case Zoom::Custom: break;
    }
    return m_custom;
}

QString PageView::caption(int page) const
{
    const Sheet& sheet = m_pages.at(std::size_t(page));
    return QStringLiteral("Passage %1 – feuille %2 sur %3").arg(sheet.pass).arg(sheet.page + 1).arg(sheet.sheets);
}

int PageView::top(int page) const
{
    const int slot = captionHeight + qRound(m_printer.sheet().height() * scale()) + gap;
    int bands = 0;
    for (int k = 1; k <= page && k < int(m_pages.size()); ++k)
        bands += m_pages[std::size_t(k)].pass != m_pages[std::size_t(k - 1)].pass;
    return gap + page * slot + bands * band();
}

void PageView::layOut()
{
    const QSizeF paper = m_printer.sheet().size() * scale();
    const int height = m_pages.empty() ? 0 : top(int(m_pages.size())) + gap;
    verticalScrollBar()->setRange(0, std::max(0, height - viewport()->height()));
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setSingleStep(40);
    horizontalScrollBar()->setRange(0, std::max(0, qRound(paper.width()) + 2 * gap - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
}

void PageView::showPage(int page)
{
    if (page >= 0 && page < int(m_pages.size()))
        verticalScrollBar()->setValue(top(page) - gap);
}

int PageView::currentPage() const
{
    if (m_pages.empty())
        return -1;
    const int at = verticalScrollBar()->value();
    const int slot = captionHeight + qRound(m_printer.sheet().height() * scale()) + gap;
    int page = std::clamp(at / std::max(1, slot), 0, int(m_pages.size()) - 1);
    while (page > 0 && top(page) - gap > at)
        --page;
    while (page + 1 < int(m_pages.size()) && top(page + 1) - gap <= at)
        ++page;
    return page;
}

void PageView::select(const std::set<int>& pages)
{
    m_selected = pages;
    viewport()->update();
    emit selectionChanged();
}

std::vector<SheetSelection> PageView::selection() const
{
    std::vector<SheetSelection> chosen;
    for (const int page : m_selected) {
        const Sheet& sheet = m_pages.at(std::size_t(page));
        if (chosen.empty() || chosen.back().pass != sheet.pass)
            chosen.push_back({sheet.pass, {}});
        chosen.back().sheets.push_back(sheet.page);
    }
    return chosen;
}

int PageView::pageOf(int pass, int sheet) const
{
    for (int page = 0; page < int(m_pages.size()); ++page)
        if (m_pages[std::size_t(page)].pass == pass && m_pages[std::size_t(page)].page == sheet)
            return page;
    return -1;
}

int PageView::sheetsOf(int pass) const
{
    const int first = pageOf(pass, 0);
    return first < 0 ? 0 : m_pages[std::size_t(first)].sheets;
}

PageView::Place PageView::placeOf(int page) const
{
    if (page < 0 || page >= int(m_pages.size()))
        return {};
    const Sheet& sheet = m_pages[std::size_t(page)];
    return {sheet.pass, sheet.page, sheet.sheets};
}

void PageView::mousePressEvent(QMouseEvent* event)
{
    const int y = int(event->position().y()) + verticalScrollBar()->value();
    int page = currentPage();
    while (page >= 0 && page + 1 < int(m_pages.size()) && top(page + 1) <= y)
        ++page;
    if (page < 0 || y < top(page))
        return;
    std::set<int> pages = m_selected;
    if (event->modifiers() & Qt::ShiftModifier && m_anchor >= 0) {
        for (int k = std::min(m_anchor, page); k <= std::max(m_anchor, page); ++k)
            pages.insert(k);
    } else if (event->modifiers() & Qt::ControlModifier) {
        if (!pages.erase(page))
            pages.insert(page);
        m_anchor = page;
    } else {
        pages = {page};
        m_anchor = page;
    }
    select(pages);
}

void PageView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    const int page = currentPage();
    layOut();
    if (m_zoom != Zoom::Custom)
        showPage(page);
}

void PageView::wheelEvent(QWheelEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier))
        return QAbstractScrollArea::wheelEvent(event);
    const int page = currentPage();
    m_custom = std::clamp(scale() * std::pow(1.15, event->angleDelta().y() / 120.0), 0.2, 40.0);
    m_zoom = Zoom::Custom;
    layOut();
    showPage(page);
    viewport()->update();
}

void PageView::scrollContentsBy(int, int)
{
    viewport()->update();
    emit currentPageChanged(currentPage());
}

void PageView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    if (m_pages.empty())
        return;
    const int scrolled = verticalScrollBar()->value();
    const int left = gap - horizontalScrollBar()->value();
    // The pages in view only: the largest run has tens of thousands.
    for (int page = currentPage(); page < int(m_pages.size()); ++page) {
        const int y = top(page) - scrolled;
        if (y > viewport()->height())
            break;
        const Sheet& sheet = m_pages[std::size_t(page)];
        if (page > 0 && sheet.pass != m_pages[std::size_t(page - 1)].pass) {
            painter.setPen(palette().color(QPalette::BrightText));
            const QString after = m_plan->documents[std::size_t(m_pages[std::size_t(page - 1)].document)].afterText();
            painter.drawText(QRect(left, y - band(), viewport()->width() - 2 * gap, band()),
                             Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap,
                             m_turnWords.isEmpty() ? after : after + u'\n' + m_turnWords);
        }
        painter.setPen(palette().color(QPalette::BrightText));
        painter.drawText(QRect(left, y, viewport()->width(), captionHeight), Qt::AlignLeft | Qt::AlignVCenter, caption(page));
        drawSheet(painter, sheet, QPointF(left, y + captionHeight));
        if (m_selected.count(page)) {
            painter.setPen(QPen(palette().color(QPalette::Highlight), 4));
            painter.drawRect(QRectF(QPointF(left, y + captionHeight), m_printer.sheet().size() * scale()).adjusted(-3, -3, 3, 3));
        }
    }
}

void PageView::drawSheet(QPainter& painter, const Sheet& sheet, QPointF corner)
{
    const double s = scale();
    const QRectF paper = m_printer.sheet();
    const QRectF onScreen(corner, paper.size() * s);
    painter.fillRect(onScreen, Qt::white);
    if (!m_background.isNull())
        painter.drawImage(onScreen, m_background);
    // The margins the printer cannot print on, shaded; positions count from the printable area.
    const QPointF origin = corner - paper.topLeft() * s;
    const QRectF printable(origin + m_printer.printable().topLeft() * s, m_printer.printable().size() * s);
    painter.save();
    painter.setClipRegion(QRegion(onScreen.toAlignedRect()).subtracted(QRegion(printable.toAlignedRect())));
    painter.fillRect(onScreen, QColor(0, 0, 0, 40));
    painter.restore();
    painter.setPen(Qt::gray);
    painter.drawRect(onScreen);

    const QPaintDevice& metrics = m_printer.metrics() ? *m_printer.metrics() : stand_inMetrics();
    NumberPainter numbers(metrics);
    QFont font;
    if (!m_plan->fontName.isEmpty())
        font.setFamily(m_plan->fontName);
    font.setBold(m_plan->bold);
    numbers.setFont(font, QColor(redOf(m_plan->ink), greenOf(m_plan->ink), blueOf(m_plan->ink)));
    painter.save();
    painter.setClipRect(onScreen);
    painter.translate(origin);
    painter.scale(s / numbers.dotsPerMillimetre(), s / numbers.dotsPerMillimetre());
    const PlannedPage& planned = m_plan->documents[std::size_t(sheet.document)].pages[std::size_t(sheet.page)];
    for (const PlacedNumber& number : planned.numbers)
        numbers.draw(painter, m_plan->text(number), QPointF(number.left, number.top), m_plan->sizeOf(number),
                     m_plan->rotationOf(number));
    painter.restore();
    if (m_plan->overlapping) {
        painter.save();
        painter.setClipRect(onScreen);
        painter.setPen(QPen(Qt::red, 2));
        painter.setBrush(Qt::NoBrush);
        for (const QRectF& ink : overlappingOn(*m_plan, planned, m_printer))
            painter.drawRect(QRectF(origin + ink.topLeft() * s, ink.size() * s).adjusted(-1, -1, 1, 1));
        painter.restore();
    }
}

} // namespace calvorigne
