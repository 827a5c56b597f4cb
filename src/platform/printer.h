// What the program asks of the printer: the settings of a print run, text placed in
// millimetres, pages and documents. The real one is QtPrinter; tests use a recording one.
#pragma once

#include <QPainterPath>
#include <QRectF>
#include <QTransform>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <stdexcept>

class QPaintDevice;

namespace calvorigne {

// A printer operation that failed, with a French sentence that names the cause.
class PrinterError : public std::runtime_error {
public:
    explicit PrinterError(const QString& cause)
        : std::runtime_error(cause.toStdString()), m_cause(cause) {}
    QString cause() const { return m_cause; }

private:
    QString m_cause;
};

// What the print system says of a document once it has been handed over.
struct JobState {
    enum Stage {
        Done,     // printed, or no longer followed (files, systems that do not say)
        Printing,
        Queued,   // waiting its turn behind other jobs
        Stopped,  // the printer is stopped: the job waits in its queue
        Held,     // held in the queue until someone releases it
        Failed,   // aborted, cancelled or lost
        Unknown,  // the print system does not answer
    };
    Stage stage = Done;
    int pagesPrinted = -1; // -1 where the system does not count them
    QString reason;        // the printer's own words, when it gives any
};

class Printer {
public:
    enum Orientation { Portrait = 1 };
    enum Unit { Millimetres = 6 };
    enum ColourMode { Monochrome = 1, Colour = 2 };

    virtual ~Printer() = default;

    // The font families the printer can use, in whatever order it reports them.
    virtual QStringList fontNames() const = 0;

    // The paper the next document goes on, in millimetres from the top-left corner of the
    // printable area (so its left and top are the unprintable margins, negated).
    virtual QRectF sheet() const = 0;
    // The printable area in the same millimetres: its top-left corner is the origin.
    virtual QRectF printable() const = 0;
    // The device whose font metrics and resolution the numbers are drawn with, when there is one.
    virtual const QPaintDevice* metrics() const { return nullptr; }
    // The character cell of a text in that font, in millimetres.
    virtual QSizeF cellSize(const QString& text, const QString& fontName, double points, bool bold) const = 0;
    // Where that text's ink lies within its cell, in millimetres from the cell's top-left corner.
    virtual QRectF inkBox(const QString& text, const QString& fontName, double points, bool bold) const = 0;

    virtual void setOrientation(Orientation orientation) = 0;
    virtual void setUnit(Unit unit) = 0;
    virtual void setFontName(const QString& name) = 0;
    virtual void setFontSize(double points) = 0;
    virtual void setColourMode(ColourMode mode) = 0;
    virtual void setBold(bool bold) = 0;
    virtual void setInkColour(std::uint32_t colour) = 0;

    // Millimetres from the top-left corner of the printable area.
    virtual void setPosition(float left, float top) = 0;
    // The following text turned clockwise about its top-left corner: 0, 90, 180 or 270 degrees.
    virtual void setRotation(int degrees) = 0;
    // Where to draw what is asked at a place, in the same millimetres: the inverse of how this
    // printer moves the document's pages. Glyphs turn and scale with it.
    virtual void setCorrection(const QTransform& asking) = 0;
    // Draws text with the top-left corner of its character cell at the position; opens a
    // document when none is open.
    virtual void printText(const QString& text) = 0;
    // Whether the user asked for each document's pages last first.
    virtual bool lastPageFirst() const { return false; }
    // How many times the print system prints each document.
    virtual int copies() const { return 1; }
    // Between these, every document goes where the first would have gone: a printer that
    // disappears is a failure, never a switch to files.
    virtual void startRun() {}
    virtual void endRun() {}
    // Whether the documents of the run become files rather than paper.
    virtual bool writesFiles() const = 0;
    // Fills a shape in the ink, in the same millimetres, for marks that are no text; opens a
    // document when none is open.
    virtual void drawShape(const QPainterPath& millimetres) = 0;
    // Takes effect only when something is printed after it.
    virtual void newPage() = 0;
    // Hands the open document, if it has a page, to the print system as one job.
    virtual void endDocument() = 0;
    // The state of the last document ended, as the print system reports it now.
    virtual JobState lastJob() const = 0;
    // The printer's name, as the user knows it.
    virtual QString name() const = 0;
    // Drops whatever is open after a failure or a stop, so that none of it prints; never
    // throws. True when some of it may have reached the print system all the same.
    virtual bool abortDocument() = 0;

    // Files written instead of printed since the last call (no printer, or printing to a file).
    virtual QStringList takeWrittenFiles() = 0;
};

} // namespace calvorigne
