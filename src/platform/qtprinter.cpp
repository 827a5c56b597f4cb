#include "qtprinter.h"

#include "core/numbers.h"
#include "platform/files.h"
#include "platform/printjobs.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPrintEngine>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#ifdef _WIN32
// Its device context, which Qt offers no other way: the only handle that drops a document.
#include <QtPrintSupport/private/qprintengine_win_p.h>
#endif

namespace calvorigne {

QtPrinter::QtPrinter() : m_printer(QPrinter::HighResolution), m_numbers(m_printer) {}

QtPrinter::~QtPrinter()
{
    abortDocument();
}

QStringList QtPrinter::fontNames() const
{
    // A family offered by several foundries is listed as "Name [Foundry]": keep the name once.
    QStringList names;
    for (const QString& family : QFontDatabase::families()) {
        if (!QFontDatabase::isScalable(family) || QFontDatabase::isPrivateFamily(family))
            continue;
        const QString name = family.section(QStringLiteral(" ["), 0, 0);
        if (!names.contains(name))
            names << name;
    }
    return names;
}

bool QtPrinter::writesOwnPdf() const
{
    if (m_runOwnPdf)
        return *m_runOwnPdf;
    const QString current = m_printer.outputFileName();
    const QString usersFile = current != m_fileWeChose ? current : m_userFile;
    return usersFile.isEmpty() && !hasPrinter();
}

QPageLayout QtPrinter::nextLayout() const
{
    QPageLayout layout = m_printer.pageLayout();
    if (writesOwnPdf())
        layout.setPageSize(QPageSize(QPageSize::A4));
    layout.setOrientation(QPageLayout::Portrait);
    layout.setUnits(QPageLayout::Millimeter);
    return layout;
}

QRectF QtPrinter::printable() const
{
    const QPageLayout layout = nextLayout();
    const QMarginsF margins = layout.minimumMargins();
    const QSizeF paper = layout.fullRect().size();
    return QRectF(0, 0, paper.width() - margins.left() - margins.right(), paper.height() - margins.top() - margins.bottom());
}

QRectF QtPrinter::sheet() const
{
    const QPageLayout layout = nextLayout();
    // Documents are laid out on the printer's own printable area.
    const QMarginsF margins = layout.minimumMargins();
    const QSizeF paper = layout.fullRect().size();
    return QRectF(-margins.left(), -margins.top(), paper.width(), paper.height());
}

QFont QtPrinter::fontFor(const QString& fontName, double points, bool bold) const
{
    QFont font = m_font;
    if (!fontName.isEmpty())
        font.setFamily(fontName);
    if (points > 0)
        font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QSizeF QtPrinter::cellSize(const QString& text, const QString& fontName, double points, bool bold) const
{
    const QFontMetricsF metrics(fontFor(fontName, points, bold), &m_printer);
    const double dotsPerMillimetre = m_printer.resolution() / 25.4;
    return QSizeF(metrics.horizontalAdvance(text) / dotsPerMillimetre, metrics.height() / dotsPerMillimetre);
}

QRectF QtPrinter::inkBox(const QString& text, const QString& fontName, double points, bool bold) const
{
    const QFontMetricsF metrics(fontFor(fontName, points, bold), &m_printer);
    const double dotsPerMillimetre = m_printer.resolution() / 25.4;
    // From the baseline, as the font gives it, to the cell's top.
    const QRectF ink = metrics.tightBoundingRect(text).translated(0, metrics.ascent());
    return QRectF(ink.topLeft() / dotsPerMillimetre, ink.size() / dotsPerMillimetre);
}

bool QtPrinter::hasPrinter() const
{
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

QString QtPrinter::documentsFolder() const
{
    return QDir::toNativeSeparators(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
}

void QtPrinter::setOrientation(Orientation)
{
    // Every document is opened in portrait, the only orientation the program asks for.
}

void QtPrinter::setUnit(Unit)
{
    // Positions are always millimetres here.
}

void QtPrinter::setFontName(const QString& name)
{
    if (!name.isEmpty())
        m_font.setFamily(name);
    m_fontChanged = true;
}

void QtPrinter::setFontSize(double points)
{
    // The painter takes the size with each text.
    if (points > 0)
        m_font.setPointSizeF(points);
}

void QtPrinter::setColourMode(ColourMode mode)
{
    m_colourMode = mode == Colour ? QPrinter::Color : QPrinter::GrayScale;
}

void QtPrinter::setBold(bool bold)
{
    m_font.setBold(bold);
    m_fontChanged = true;
}

void QtPrinter::setInkColour(std::uint32_t colour)
{
    m_ink = QColor(redOf(colour), greenOf(colour), blueOf(colour));
    m_fontChanged = true;
}

void QtPrinter::setPosition(float left, float top)
{
    m_position = QPointF(left, top);
}

void QtPrinter::setRotation(int degrees)
{
    m_rotation = degrees;
}

void QtPrinter::setCorrection(const QTransform& asking)
{
    m_correction = asking;
    m_correctionChanged = true;
}

void QtPrinter::startRun()
{
    m_runOwnPdf.reset();
    m_runOwnPdf = writesOwnPdf();
    m_runPrinter = m_printer.printerName();
}

void QtPrinter::endRun()
{
    m_runOwnPdf.reset();
}

bool QtPrinter::writesFiles() const
{
    const QString current = m_printer.outputFileName();
    return writesOwnPdf() || !(current != m_fileWeChose ? current : m_userFile).isEmpty();
}

int QtPrinter::copies() const
{
    return m_printer.copyCount();
}

void QtPrinter::openDocument()
{
    // Where this document goes: a file the user chose (once), the next free file beside it,
    // a file in the documents folder when there is no printer, or the printer itself.
    const bool ownPdf = writesOwnPdf();
    const QString current = m_printer.outputFileName();
    if (current != m_fileWeChose) {
        m_userFile = current;
        m_userFileWritten = false;
    }
    QString file;
    if (!m_userFile.isEmpty())
        file = m_userFileWritten ? nextFreeName(m_userFile) : m_userFile;
    else if (ownPdf) {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QDir().mkpath(folder);
        file = nextFreeName(QDir(folder).filePath(QStringLiteral("Calvorigne.pdf")));
        m_printer.setPageSize(QPageSize(QPageSize::A4)); // the sheet the rows are worked out on
    }
    // The printer the run started on prints all of it, or the pass fails: its sheets must not
    // go anywhere else unseen.
    if (file.isEmpty() && m_runOwnPdf.has_value() && QPrinterInfo::printerInfo(m_runPrinter).isNull())
        throw PrinterError(QStringLiteral("l'imprimante « %1 » n'est plus disponible.").arg(m_runPrinter));
    // The file is written under a fresh name of its own beside its target, created here so
    // that nothing planted under that name is followed.
    QString part;
    if (!file.isEmpty()) {
        QTemporaryFile created(QFileInfo(file).dir().filePath(QStringLiteral(".Calvorigne-provisoire-XXXXXX.pdf")));
        if (!created.open())
            throw PrinterError(QStringLiteral("le fichier « %1 » n'a pas pu être créé : %2.")
                                   .arg(QDir::toNativeSeparators(file), lastFailure()));
        created.setAutoRemove(false);
        part = created.fileName();
    }
#ifndef _WIN32
    else {
        // Not named .pdf, which would make the printer a mere PDF writer: the driver writes the
        // job as it would hand it to the queue.
        QTemporaryFile spool(QDir::temp().filePath(QStringLiteral("calvorigne-XXXXXX.job")));
        if (!spool.open())
            throw PrinterError(QStringLiteral("le document n'a pas pu être préparé : %1.").arg(lastFailure()));
        spool.setAutoRemove(false);
        part = spool.fileName();
    }
#endif
    m_spool = file.isEmpty() ? part : QString();
    m_target = file;
    m_replaceTarget = !file.isEmpty() && file == m_userFile && !m_userFileWritten;
    m_fileWeChose = part;
    m_printer.setOutputFileName(part);

    // Each job gets a title of its own: some print-to-file queues name their files after it.
    // A title no other job has, so the job can be found in the queue afterwards.
    m_printer.setDocName(QStringLiteral("Calvorigne %1-%2 (%3)")
                             .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh.mm.ss.zzz")))
                             .arg(QCoreApplication::applicationPid())
                             .arg(++m_documents));
#ifdef _WIN32
    if (file.isEmpty())
        keepDriverFromScaling();
#endif
    m_printer.setPageOrientation(QPageLayout::Portrait);
    m_printer.setColorMode(m_colourMode);
    forgetPageFilters();
    // Place by the printer's real printable area, not by Qt's default margins.
    const QPageLayout layout = m_printer.pageLayout();
    m_printer.setPageMargins(layout.minimumMargins(), layout.units());

    if (!m_painter.begin(&m_printer)) {
        dropPartFile();
        throw PrinterError(file.isEmpty()
                               ? QStringLiteral("l'imprimante « %1 » n'a pas pu ouvrir le document.")
                                     .arg(m_printer.printerName())
                               : QStringLiteral("le fichier « %1 » n'a pas pu être créé.")
                                     .arg(QDir::toNativeSeparators(file)));
    }
#ifdef _WIN32
    if (file.isEmpty())
        m_heldJob = holdJob(m_printer.printerName(), m_printer.docName());
#endif
    m_userFileWritten = m_userFileWritten || (!file.isEmpty() && file == m_userFile);
    m_pendingPages = 0;
    m_fontChanged = true;
    m_correctionChanged = true; // a new painter starts untransformed
}

void QtPrinter::prepareDrawing()
{
    if (!m_painter.isActive())
        openDocument();
    for (; m_pendingPages > 0; --m_pendingPages) {
        if (!m_printer.newPage())
            throw PrinterError(QStringLiteral("l'imprimante n'a pas accepté une nouvelle page."));
    }
    if (m_fontChanged) {
        m_numbers.setFont(m_font, m_ink);
        m_fontChanged = false;
    }
    if (m_correctionChanged) {
        // The painter draws in dots: the correction, in millimetres, between two scalings.
        const double dots = m_numbers.dotsPerMillimetre();
        m_painter.setWorldTransform(QTransform::fromScale(1 / dots, 1 / dots) * m_correction
                                    * QTransform::fromScale(dots, dots));
        m_correctionChanged = false;
    }
}

void QtPrinter::printText(const QString& text)
{
    prepareDrawing();
    m_numbers.draw(m_painter, text, m_position, m_font.pointSizeF(), m_rotation);
}

void QtPrinter::drawShape(const QPainterPath& millimetres)
{
    prepareDrawing();
    const double dots = m_numbers.dotsPerMillimetre();
    m_painter.fillPath(QTransform::fromScale(dots, dots).map(millimetres), m_ink);
}

void QtPrinter::newPage()
{
    ++m_pendingPages;
}

void QtPrinter::endDocument()
{
    m_pendingPages = 0;
    if (!m_painter.isActive())
        return;
    m_lastJob = 0;
    const bool ended = m_painter.end() && m_printer.printerState() != QPrinter::Error;
#ifdef _WIN32
    if (const int held = std::exchange(m_heldJob, 0))
        releaseJob(m_printer.printerName(), held);
#endif
    if (!m_target.isEmpty()) {
        m_written << keepWrittenFile(ended);
        return;
    }
    if (!ended) {
        dropPartFile();
        throw PrinterError(QStringLiteral("le système d'impression a refusé le document."));
    }
    m_lastJob = submitSpooled();
}

int QtPrinter::submitSpooled()
{
    const QString printer = m_printer.printerName();
#ifdef _WIN32
    // Qt hands the document over itself, without saying whether the queue took it.
    const std::optional<int> job = acceptedJob(printer, m_printer.docName());
    if (!job)
        throw PrinterError(QStringLiteral("l'imprimante « %1 » n'a pas accepté le document.").arg(printer));
#else
    QString cause;
    const std::optional<int> job = submitDocument(printer, m_spool, m_printer.docName(), jobOptions(), &cause);
    dropPartFile();
    if (!job)
        throw PrinterError(QStringLiteral("l'imprimante « %1 » n'a pas accepté le document%2.")
                               .arg(printer, cause.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(cause)));
#endif
    return *job;
}

namespace {

// CUPS options, as name and value in turn, less those named.
QStringList withoutOptions(QStringList options, const QStringList& names)
{
    for (qsizetype k = 0; k + 1 < options.size();) {
        if (names.contains(options[k]))
            options.remove(k, 2);
        else
            k += 2;
    }
    return options;
}

} // namespace

#ifndef _WIN32
QStringList QtPrinter::jobOptions()
{
    QStringList options{QStringLiteral("media"), m_printer.pageLayout().pageSize().key()};
    const int copies = m_printer.copyCount();
    if (copies > 1)
        options << QStringLiteral("copies") << QString::number(copies);
    if (copies > 1 && m_printer.collateCopies())
        options << QStringLiteral("Collate") << QStringLiteral("True");
    switch (m_printer.duplex()) {
    case QPrinter::DuplexNone: options << QStringLiteral("sides") << QStringLiteral("one-sided"); break;
    case QPrinter::DuplexShortSide: options << QStringLiteral("sides") << QStringLiteral("two-sided-short-edge"); break;
    default: options << QStringLiteral("sides") << QStringLiteral("two-sided-long-edge"); break;
    }
    constexpr auto cupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00); // Qt's CUPS engine's own
    const QStringList chosen = withoutOptions(m_printer.printEngine()->property(cupsOptions).toStringList(),
                                              {QStringLiteral("fit-to-page"), QStringLiteral("print-scaling")});
    // Numbers are placed to a tenth of a millimetre: no filter may shrink the page to fit.
    return options + chosen
           + QStringList{QStringLiteral("fit-to-page"), QStringLiteral("false"), QStringLiteral("print-scaling"),
                         QStringLiteral("none")};
}
#endif

void QtPrinter::forgetPageFilters()
{
    // A page range, a page set (odd or even) or a reversed order left from the printer dialog
    // would be applied by CUPS to every pass; the run chooses its pages, and reverses them
    // itself when asked, so none of these reaches the job.
    m_printer.setPrintRange(QPrinter::AllPages);
    m_printer.setFromTo(0, 0);
    QPrintEngine* engine = m_printer.printEngine();
    constexpr auto cupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00); // Qt's CUPS engine's own
    engine->setProperty(cupsOptions, withoutOptions(engine->property(cupsOptions).toStringList(),
                                                    {QStringLiteral("page-set"), QStringLiteral("page-ranges"),
                                                     QStringLiteral("outputorder")}));
}

bool QtPrinter::lastPageFirst() const
{
    return m_printer.pageOrder() == QPrinter::LastPageFirst;
}

JobState QtPrinter::lastJob() const
{
    return jobState(m_printer.printerName(), m_lastJob);
}

QString QtPrinter::name() const
{
    return m_printer.printerName();
}

#ifdef _WIN32
void QtPrinter::keepDriverFromScaling()
{
    // The settings the printer dialog chose, or else the printer's own defaults.
    auto* engine = dynamic_cast<QWin32PrintEngine*>(m_printer.printEngine());
    if (!engine)
        return;
    if (HGLOBAL chosen = engine->globalDevMode()) {
        if (unscale(chosen))
            engine->setGlobalDevMode(nullptr, chosen);
    } else if (HGLOBAL defaults = unscaledDefaults(m_printer.printerName())) {
        engine->setGlobalDevMode(nullptr, defaults);
    }
}
#endif

bool QtPrinter::abortDocument()
{
    m_pendingPages = 0;
    if (!m_painter.isActive())
        return false;
    const bool toFile = !m_target.isEmpty();
    bool handedOver = false;
#ifdef _WIN32
    // Qt's Windows engine cannot abort, and ending the painter would end the spooled job: the
    // job held since its start is deleted, and the document dropped. Without a hold that the
    // spooler confirmed, nobody can say what of it printed.
    if (auto* engine = dynamic_cast<QWin32PrintEngine*>(m_printer.printEngine()); engine && !toFile) {
        const int held = std::exchange(m_heldJob, 0);
        handedOver = !(held && dropJob(m_printer.printerName(), held));
        AbortDoc(engine->getDC());
    }
#endif
    // Neither Qt's CUPS engine nor its Windows one can abort: ending the painter hands the
    // document over unless it went into a file of ours, or the system dropped it.
    m_printer.abort();
    m_painter.end();
    dropPartFile();
    if (toFile)
        return false;
    // Whatever the engine did, a job of this document still in the queue is cancelled.
    return cancelJobsTitled(m_printer.printerName(), m_printer.docName()) || handedOver;
}

} // namespace calvorigne
