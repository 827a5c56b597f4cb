// The system's default printer, through QPrinter and QPainter.
//
// Each document is one print job, opened by its first text. The driver writes it into a file
// of ours, handed to the queue only once the document is whole, so a document stopped
// halfway never reaches the printer. With no printer installed, or
// when the user chose to print to a file, each document becomes a PDF file of its own, and
// no file this printer wrote is ever overwritten. A file is written under a name of its own
// and takes its final name only once it is whole, so a full disk leaves no cut file behind.
#pragma once

#include "platform/printer.h"
#include "platform/numberpainter.h"

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPrinter>
#include <optional>

namespace calvorigne {

class QtPrinter : public Printer {
public:
    QtPrinter();
    ~QtPrinter() override;

    QStringList fontNames() const override;
    QRectF sheet() const override;
    QRectF printable() const override;
    const QPaintDevice* metrics() const override { return &m_printer; }
    QSizeF cellSize(const QString& text, const QString& fontName, double points, bool bold) const override;
    QRectF inkBox(const QString& text, const QString& fontName, double points, bool bold) const override;
    void setOrientation(Orientation orientation) override;
    void setUnit(Unit unit) override;
    void setFontName(const QString& name) override;
    void setFontSize(double points) override;
    void setColourMode(ColourMode mode) override;
    void setBold(bool bold) override;
    void setInkColour(std::uint32_t colour) override;
    void setPosition(float left, float top) override;
    void setRotation(int degrees) override;
    void setCorrection(const QTransform& asking) override;
    void printText(const QString& text) override;
    void drawShape(const QPainterPath& millimetres) override;
    void newPage() override;
    void endDocument() override;
    JobState lastJob() const override;
    bool lastPageFirst() const override;
    int copies() const override;
    void startRun() override;
    void endRun() override;
    bool writesFiles() const override;
    QString name() const override;
    bool abortDocument() override;
    QStringList takeWrittenFiles() override;

    // The QPrinter the printer dialog works on.
    QPrinter& device() { return m_printer; }
    bool hasPrinter() const;
    // Where documents go when there is no printer.
    QString documentsFolder() const;

private:
    QFont fontFor(const QString& fontName, double points, bool bold) const;
    // Opens the document and the pending pages, and brings the painter up to date.
    void prepareDrawing();
    void openDocument();
    // Whether the next document is a PDF file of our own, for want of a printer.
    bool writesOwnPdf() const;
    QPageLayout nextLayout() const;
    // Gives the file just written its final name, once it is known to be whole.
    QString keepWrittenFile(bool ended);
    void dropPartFile();
    void forgetPageFilters();
    void settleOutputFile();
    // Hands the document just ended to the queue, or finds it there; its job.
    int submitSpooled();
#ifndef _WIN32
    // What the job asks of CUPS, as Qt's own engine would ask it.
    QStringList jobOptions();
#else
    // Numbers are placed to a tenth of a millimetre: the driver prints at 100 %, whatever
    // zoom its settings hold.
    void keepDriverFromScaling();
#endif

    QPrinter m_printer;
    QPainter m_painter;
    QTransform m_correction; // in the printable area's millimetres
    bool m_correctionChanged = false;
    NumberPainter m_numbers;
    QFont m_font;
    QColor m_ink = Qt::black;
    QPrinter::ColorMode m_colourMode = QPrinter::GrayScale;
    QPointF m_position; // millimetres
    int m_rotation = 0;
    bool m_fontChanged = true; // the painter's font and ink are to be set again
    int m_pendingPages = 0;
    int m_documents = 0;
    QString m_fileWeChose;  // the output file this printer set itself: a part file beside the target
    QString m_target;       // the name the document's file takes once written whole
    bool m_replaceTarget = false; // the target is the user's own file, chosen knowingly
    int m_lastJob = 0;      // the print system's job for the last document, 0 when not followed
    int m_heldJob = 0;      // the job being drawn, held in its queue by the Windows spooler
    QString m_spool;        // on CUPS, the driver's output for the printer until it is handed over
    QString m_userFile;     // a file the user chose in the printer dialog
    bool m_userFileWritten = false;
    QStringList m_written;
    // During a run, where its documents go, fixed at its start.
    std::optional<bool> m_runOwnPdf;
    QString m_runPrinter;
};

} // namespace calvorigne
