// The preview's pages, one under the other, each drawn from the run's plan by the painter the
// printer uses, with its sheet picture under the numbers and the sheets chosen for a reprint.
#pragma once

#include "print/plan.h"
#include "print/printrun.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <set>

namespace calvorigne {

class Printer;

// The pages, one under the other, with the turn instruction between the passes.
class PageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum class Zoom { FitPage, FitWidth, Actual, Custom };

    explicit PageView(Printer& printer, QWidget* parent = nullptr);

    void setPlan(const PrintPlan* plan);
    void setBackground(const QImage& picture);
    // What the turn between the passes means for the printer, under its designed line.
    void setTurnWords(const QString& words);
    void setZoom(Zoom zoom);
    Zoom zoom() const { return m_zoom; }
    // Pixels a millimetre, as the zoom makes it now.
    double scale() const;
    int pageCount() const { return int(m_pages.size()); }
    // "Passage 1 – feuille 2 sur 20".
    QString caption(int page) const;
    void showPage(int page);
    // The sheets chosen with the mouse (click, shift-click for a range, ctrl-click to add or
    // take away) or typed, by page index in the view.
    const std::set<int>& selected() const { return m_selected; }
    void select(const std::set<int>& pages);
    // The chosen sheets, pass by pass.
    std::vector<SheetSelection> selection() const;
    // The page of that pass's sheet (from 0), or -1.
    int pageOf(int pass, int sheet) const;
    // How many sheets the pass has.
    int sheetsOf(int pass) const;
    // A page's pass, its sheet in the pass (from 0) and the sheets of that pass.
    struct Place {
        int pass = 0, sheet = -1, sheets = 0;
    };
    Place placeOf(int page) const;
    // The first page in view.
    int currentPage() const;

signals:
    void currentPageChanged(int page);
    void selectionChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    int band() const; // the height of the band between the passes
    struct Sheet {
        int document, page, sheets, pass;
    };
    void layOut();
    int top(int page) const; // in pixels, before scrolling
    void drawSheet(QPainter& painter, const Sheet& sheet, QPointF corner);

    Printer& m_printer;
    const PrintPlan* m_plan = nullptr;
    std::vector<Sheet> m_pages;
    QImage m_background;
    QString m_turnWords;
    Zoom m_zoom = Zoom::FitWidth;
    double m_custom = 1;
    std::set<int> m_selected;
    int m_anchor = -1;
};

} // namespace calvorigne
