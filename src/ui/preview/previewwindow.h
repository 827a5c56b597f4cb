// The preview: every page of the run the window's parameters make, on the printer's paper at
// true proportions, drawn from the same plan and by the same painter as the print. It follows
// the window as it changes, and draws only the pages in view, so the largest run stays quick.
// A picture of the user's own blank sheet may lie under the numbers; it is never printed.
#pragma once

#include "print/plan.h"
#include "print/recordedlayout.h"
#include "ui/preview/pageview.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace calvorigne {

class Numero;

class BookletListWindow;
class RaffleWindow;
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
    // Opens « Suivi de la tombola », or brings it forward.
    RaffleWindow* showRaffle();

    QLabel *summary, *warnings, *printerLine;
    // What is known of the printer's paper path, the stack test that learns it, and forgetting it.
    QLabel* paperLine;
    QPushButton *stackTest, *forgetPath, *calibration;
    PageView* view;
    QPushButton *fitPage, *fitWidth, *actualSize, *background, *noBackground;
    QSpinBox* pageBox;
    QLabel* pageTotal;
    // The run shown, reprinted and listed: the run the window plans, or one printed before, as
    // it was printed; the last one printed is chosen at first.
    QComboBox* runChoice;
    // Reprinting spoiled sheets: a pass and its sheets typed as « 3-5, 9 », or chosen in the view.
    QSpinBox* passBox;
    QLineEdit* sheetsField;
    QPushButton *printSelection, *trialSheet, *booklets, *raffle;
    // What is wrong with the sheets typed, in words.
    QLabel* sheetsProblem;
    TicketPanel* ticket;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void chooseBackground();
    // What is known of the paper path of a printer that prints on paper.
    void showPaperPath(bool paper);
    void selectTyped();
    // The runs to choose from, the last one printed chosen.
    void listRuns();
    void chooseRun(int index);
    // « Feuille 2 sur 20 »: the sheet shown, in its pass.
    void showSheetCount(int page);

    Numero& m_window;
    PrintPlan m_plan;
    QTimer m_follow;
    QString m_loaded; // the picture shown, to load it once
    std::vector<QString> m_runs; // the recorded parameters of each choice; empty for the planned run
    std::optional<RecordedLayout> m_recorded; // the run chosen, when it is one printed before
    QPointer<BookletListWindow> m_bookletList;
    QPointer<RaffleWindow> m_raffle;
};

} // namespace calvorigne
