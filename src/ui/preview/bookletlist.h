// The list of booklets in a window of its own: a table of the run's booklets (9,999 lines
// scroll as easily as ten), saved as a CSV file or printed on plain paper for the sellers.
#pragma once

#include "print/booklets.h"

#include <QWidget>

class QLabel;
class QPrinter;
class QPushButton;
class QTableView;

namespace calvorigne {

class Dialogs;

class BookletListWindow : public QWidget {
    Q_OBJECT
public:
    BookletListWindow(const BookletList& list, Dialogs& dialogs, QWidget* parent = nullptr);

    // Shows another list in its place: the preview's run changed.
    void setList(const BookletList& list);
    // Writes the list as a CSV file; says why when it cannot.
    bool saveCsv(const QString& path);
    // The name offered for the CSV file: « Calvorigne-carnets 0001-0120.csv ».
    QString csvName() const;
    // Lays the list out on the printer's pages, its header on each, « page 2 sur 5 » below.
    bool printOn(QPrinter& printer);

    QTableView* table;
    QPushButton *save, *print, *closing;

private:
    void chooseFile();
    void printList();

    BookletList m_list;
    QLabel* m_title;
    Dialogs& m_dialogs;
};

} // namespace calvorigne
