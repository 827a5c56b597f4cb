// The preview: every page of the run the window's parameters make, on the printer's paper at
// true proportions, drawn from the same plan and by the same painter as the print. It follows
// the window as it changes, and draws only the pages in view, so the largest run stays quick.
// A picture of the user's own blank sheet may lie under the numbers; it is never printed.
#pragma once

#include "print/plan.h"
#include "print/printrun.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <set>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace calvorigne {

class Numero;
class Printer;

// The pages, one under the other, with the turn instruction between the passes.
class PageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum class Zoom { FitPage, FitWidth, Actual, Custom };

    explicit PageView(Printer& printer, QWidget* parent = nullptr);

    void setPlan(const PrintPlan* plan);
    void setBackground(const QImage& picture);
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
    Zoom m_zoom = Zoom::FitWidth;
    double m_custom = 1;
    std::set<int> m_selected;
    int m_anchor = -1;
};

class BookletListWindow;
class TicketPanel;

class PreviewWindow : public QWidget {
    Q_OBJECT
public:
    explicit PreviewWindow(Numero& window);

    // Works out the plan again and redraws; the window calls it through a short timer.
    void refresh();
    // Loads a picture of a blank sheet, or removes it with an empty path; says so when the
    // file cannot be read, and goes on without it.
    void setBackground(const QString& path);
    // Opens the list of the run's booklets in a window of its own.
    BookletListWindow* showBooklets();

    QLabel *summary, *warnings, *printerLine;
    PageView* view;
    QPushButton *fitPage, *fitWidth, *actualSize, *background, *noBackground;
    QSpinBox* pageBox;
    QLabel* pageTotal;
    // Reprinting spoiled sheets: a pass and its sheets typed as « 3-5, 9 », or chosen in the view.
    QSpinBox* passBox;
    QLineEdit* sheetsField;
    QPushButton *printSelection, *trialSheet, *booklets;
    TicketPanel* ticket;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void chooseBackground();
    void selectTyped();

    Numero& m_window;
    PrintPlan m_plan;
    QTimer m_follow;
    QString m_loaded; // the picture shown, to load it once
};

} // namespace calvorigne
