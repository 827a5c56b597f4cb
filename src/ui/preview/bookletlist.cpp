#include "bookletlist.h"
#include "ui/preview/onscreen.h"

#include "core/numbers.h"
#include "platform/dialogs.h"
#include "platform/files.h"

#include <QAbstractTableModel>
#include <QAbstractTextDocumentLayout>
#include <QBoxLayout>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSaveFile>
#include <QShortcut>
#include <QStandardPaths>
#include <QTableView>
#include <QTextCursor>
#include <QTextDocument>

namespace calvorigne {

namespace {

// The lines as a table the view asks for cell by cell, only for what it shows.
class BookletTable : public QAbstractTableModel {
public:
    BookletTable(const BookletList& list, QObject* parent) : QAbstractTableModel(parent), m_list(list), m_headers(list.headers()) {}

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_list.lines.size()); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_headers.size()); }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        return m_list.cells(m_list.lines[std::size_t(index.row())]).value(index.column());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
            return {};
        return m_headers.value(section);
    }

private:
    const BookletList& m_list;
    QStringList m_headers;
};

QString documentsFile(const QString& name)
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)).filePath(name);
}

} // namespace

BookletListWindow::BookletListWindow(const BookletList& list, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), m_list(list), m_dialogs(dialogs)
{
    setWindowTitle(QStringLiteral("Calvorigne – liste des %1").arg(list.bySheet ? QStringLiteral("feuilles")
                                                                               : QStringLiteral("carnets")));
    setAttribute(Qt::WA_DeleteOnClose);
    m_title = new QLabel(list.title, this);
    table = new QTableView(this);
    table->setModel(new BookletTable(m_list, table));
    table->verticalHeader()->hide();
    // Rows of one height: no row is measured to scroll.
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setStretchLastSection(true);
    save = new QPushButton(QStringLiteral("Enregistrer…"), this);
    print = new QPushButton(QStringLiteral("Imprimer…"), this);
    closing = new QPushButton(QStringLiteral("Fermer"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(print);
    buttons->addWidget(closing);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_title);
    layout->addWidget(table, 1);
    layout->addLayout(buttons);
    sizeOnScreen(*this, QSize(900, 600));
    connect(save, &QPushButton::clicked, this, &BookletListWindow::chooseFile);
    connect(print, &QPushButton::clicked, this, &BookletListWindow::printList);
    connect(closing, &QPushButton::clicked, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
}

void BookletListWindow::setList(const BookletList& list)
{
    QAbstractItemModel* old = table->model();
    m_list = list;
    m_title->setText(list.title);
    table->setModel(new BookletTable(m_list, table));
    delete old;
}

QString BookletListWindow::csvName() const
{
    const QString kind = m_list.bySheet ? QStringLiteral("feuilles") : QStringLiteral("carnets");
    if (m_list.lines.empty())
        return QStringLiteral("Calvorigne-%1.csv").arg(kind);
    double low = m_list.lines.front().first, high = m_list.lines.front().last;
    for (const BookletLine& line : m_list.lines)
        low = std::min(low, line.first), high = std::max(high, line.last);
    return QStringLiteral("Calvorigne-%1 %2-%3.csv")
        .arg(kind, padNumber(low, QStringLiteral("0000")), padNumber(high, QStringLiteral("0000")));
}

bool BookletListWindow::saveCsv(const QString& path)
{
    QSaveFile file(path);
    const QByteArray bytes = m_list.csv();
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    m_dialogs.message(QStringLiteral("La liste n'a pas pu être enregistrée dans « %1 » : %2.")
                          .arg(QDir::toNativeSeparators(path), lastFailure()));
    return false;
}

void BookletListWindow::chooseFile()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Enregistrer la liste"),
                                                      nextFreeName(documentsFile(csvName())),
                                                      QStringLiteral("Tableau CSV (*.csv)"));
    if (!path.isEmpty())
        saveCsv(path);
}

bool BookletListWindow::printOn(QPrinter& printer)
{
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    QTextDocument document;
    document.setDefaultFont(QFont(QString(), 9));
    QTextCursor cursor(&document);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    cursor.insertText(m_list.title, bold);
    cursor.insertBlock();
    const QStringList headers = m_list.headers();
    QTextTableFormat format;
    format.setHeaderRowCount(1); // repeated at the top of every page
    format.setCellPadding(3);
    format.setCellSpacing(0);
    format.setBorderCollapse(true);
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    // The numbers share a little over half the width; the columns filled in by hand the rest.
    QList<QTextLength> widths(headers.size() - 4, QTextLength(QTextLength::PercentageLength, 56.0 / double(headers.size() - 4)));
    for (const double share : {14, 10, 10, 10})
        widths << QTextLength(QTextLength::PercentageLength, share);
    format.setColumnWidthConstraints(widths);
    // Filled cell after cell, before anything is laid out: each change would lay it out again.
    cursor.insertTable(int(m_list.lines.size()) + 1, int(headers.size()), format);
    QTextCharFormat heading = bold;
    heading.setFontPointSize(8);
    for (const QString& header : headers) {
        cursor.insertText(header, heading);
        cursor.movePosition(QTextCursor::NextCell);
    }
    for (const BookletLine& line : m_list.lines)
        for (const QString& cell : m_list.cells(line)) {
            cursor.insertText(cell);
            cursor.movePosition(QTextCursor::NextCell);
        }
    document.documentLayout()->setPaintDevice(&printer);

    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    const double footer = QFontMetricsF(document.defaultFont(), &printer).height() * 2;
    const QSizeF body(page.width(), page.height() - footer);
    document.setPageSize(body);
    const int pages = document.pageCount();
    for (int k = 0; k < pages; ++k) {
        if (k > 0 && !printer.newPage())
            return false;
        painter.save();
        painter.translate(0, -k * body.height());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(QPointF(0, k * body.height()), body);
        painter.setClipRect(context.clip);
        document.documentLayout()->draw(&painter, context);
        painter.restore();
        painter.setFont(document.defaultFont());
        painter.drawText(QRectF(0, body.height(), body.width(), footer), Qt::AlignRight | Qt::AlignBottom,
                         QStringLiteral("page %1 sur %2").arg(k + 1).arg(pages));
    }
    return painter.end();
}

void BookletListWindow::printList()
{
    QPrinter printer(QPrinter::HighResolution);
    QString file;
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
        // No printer: a PDF file, as for the run.
        file = nextFreeName(documentsFile(QStringLiteral("Calvorigne-carnets.pdf")));
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
    } else {
        QPrintDialog dialog(&printer, this);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        if (dialog.exec() != QDialog::Accepted)
            return;
        file = printer.outputFileName();
    }
    if (!printOn(printer))
        m_dialogs.message(file.isEmpty() ? QStringLiteral("La liste n'a pas pu être imprimée sur « %1 ».").arg(printer.printerName())
                                         : QStringLiteral("La liste n'a pas pu être enregistrée dans « %1 ».")
                                               .arg(QDir::toNativeSeparators(file)));
    else if (!file.isEmpty())
        m_dialogs.message(QStringLiteral("La liste a été enregistrée dans « %1 ».").arg(QDir::toNativeSeparators(file)));
}

} // namespace calvorigne
