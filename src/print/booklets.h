// The list of booklets to hand out to the sellers, read off the run's plan: for each booklet
// (or each sheet, when single sheets are handed out) its numbers and where it lies in the
// run, with blank columns to fill in by hand.
#pragma once

#include "print/plan.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace calvorigne {

struct BookletLine {
    int number = 0;                    // the booklet, or the sheet, from 1
    double first = 0, last = 0;
    int pass = 0;
    int firstSheet = 0, lastSheet = 0; // in its pass, from 1
    int row = 0, column = 0;           // its place on the sheet, for booklets
};

struct BookletList {
    bool bySheet = false;  // one folio a booklet: single sheets are handed out
    bool columns = false;  // the sheet has several columns of tickets
    QString title;         // the run's numbers and the day
    std::vector<BookletLine> lines;

    QStringList headers() const;
    QStringList cells(const BookletLine& line) const;
    // The list as a CSV file: UTF-8 with a byte-order mark, ';' between fields, one header line.
    QByteArray csv() const;
};

BookletList bookletList(const PrintPlan& plan);

} // namespace calvorigne
