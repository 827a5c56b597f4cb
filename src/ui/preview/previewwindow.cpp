#include "previewwindow.h"

#include "correction/store.h"
#include "paperpath/store.h"
#include "platform/dialogs.h"
#include "platform/printer.h"
#include "ui/preview/bookletlist.h"
#include "ui/preview/calibrationdialog.h"
#include "ui/preview/onscreen.h"
#include "platform/sheetpicture.h"
#include "ui/preview/ticketpanel.h"
#include "ui/raffle/opening.h"
#include "ui/raffle/rafflewindow.h"
#include "ui/window/numero.h"

#include "core/numbers.h"
#include "core/ranges.h"
#include "records/runrecord.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>

namespace calvorigne {

PreviewWindow::PreviewWindow(Numero& window) : QWidget(&window, Qt::Window), m_window(window)
{
    setWindowTitle(QStringLiteral("Calvorigne – aperçu"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    summary = new QLabel(this);
    summary->setWordWrap(true);
    warnings = new QLabel(this);
    warnings->setWordWrap(true);
    warnings->setStyleSheet(QStringLiteral("color: #b00000"));
    printerLine = new QLabel(this);
    paperLine = new QLabel(this);
    paperLine->setWordWrap(true);
    stackTest = new QPushButton(QStringLiteral("Essai de retournement…"), this);
    stackTest->setToolTip(QStringLiteral("Trois feuilles de papier blanc, pour apprendre comment retourner la pile entre les "
                                         "deux passages sur cette imprimante"));
    forgetPath = new QPushButton(QStringLiteral("Oublier le retournement"), this);
    calibration = new QPushButton(QStringLiteral("Réglage de l'imprimante…"), this);
    calibration->setToolTip(QStringLiteral("Une feuille de papier blanc et une règle, pour corriger le décalage et l'échelle "
                                           "de cette imprimante"));
    view = new PageView(window.printer(), this);
    fitPage = new QPushButton(QStringLiteral("Page entière"), this);
    fitWidth = new QPushButton(QStringLiteral("Pleine largeur"), this);
    actualSize = new QPushButton(QStringLiteral("100 %"), this);
    pageBox = new QSpinBox(this);
    pageBox->setPrefix(QStringLiteral("Feuille "));
    pageTotal = new QLabel(this);
    background = new QPushButton(QStringLiteral("Fond de page…"), this);
    noBackground = new QPushButton(QStringLiteral("Retirer le fond"), this);
    runChoice = new QComboBox(this);
    runChoice->setToolTip(QStringLiteral("Le tirage dont les feuilles sont montrées, réimprimées et listées en carnets"));
    passBox = new QSpinBox(this);
    passBox->setPrefix(QStringLiteral("Passage "));
    passBox->setRange(1, 2);
    sheetsField = new QLineEdit(this);
    sheetsField->setPlaceholderText(QStringLiteral("feuilles, par exemple 3-5, 9"));
    printSelection = new QPushButton(QStringLiteral("Imprimer la sélection"), this);
    sheetsProblem = new QLabel(this);
    sheetsProblem->setStyleSheet(QStringLiteral("color: #b00000"));
    sheetsProblem->hide();
    trialSheet = new QPushButton(QStringLiteral("Feuille d'essai"), this);
    trialSheet->setToolTip(QStringLiteral("La première feuille du premier passage, pour un essai sur du papier blanc"));
    booklets = new QPushButton(QStringLiteral("Liste des carnets…"), this);
    booklets->setToolTip(QStringLiteral("Les carnets de ce tirage, leurs numéros et leur place, à remettre aux vendeurs"));
    raffle = new QPushButton(QStringLiteral("Tombola…"), this);
    raffle->setToolTip(QStringLiteral("Le suivi de la tombola : les carnets remis aux vendeurs, les billets vendus et l'argent"));

    auto* tools = new QHBoxLayout;
    for (QWidget* tool : std::initializer_list<QWidget*>{fitPage, fitWidth, actualSize, pageBox, pageTotal})
        tools->addWidget(tool);
    tools->addStretch();
    tools->addWidget(background);
    tools->addWidget(noBackground);
    auto* reprinting = new QHBoxLayout;
    reprinting->addWidget(runChoice);
    reprinting->addWidget(passBox);
    reprinting->addWidget(sheetsField, 1);
    reprinting->addWidget(printSelection);
    reprinting->addWidget(trialSheet);
    reprinting->addWidget(booklets);
    reprinting->addWidget(raffle);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary);
    layout->addWidget(warnings);
    layout->addWidget(printerLine);
    auto* paper = new QHBoxLayout;
    paper->addWidget(paperLine, 1);
    paper->addWidget(stackTest);
    paper->addWidget(forgetPath);
    paper->addWidget(calibration);
    layout->addLayout(paper);
    layout->addLayout(tools);
    layout->addLayout(reprinting);
    layout->addWidget(sheetsProblem);
    ticket = new TicketPanel(this);
    ticket->setMaximumWidth(520);
    auto* sheets = new QHBoxLayout;
    sheets->addWidget(ticket, 0, Qt::AlignTop);
    sheets->addWidget(view, 1);
    layout->addLayout(sheets, 1);
    sizeOnScreen(*this, QSize(1040, 820));

    connect(fitPage, &QPushButton::clicked, this, [this] { view->setZoom(PageView::Zoom::FitPage); });
    connect(fitWidth, &QPushButton::clicked, this, [this] { view->setZoom(PageView::Zoom::FitWidth); });
    connect(actualSize, &QPushButton::clicked, this, [this] { view->setZoom(PageView::Zoom::Actual); });
    // Sheets are counted in their pass, as the captions count them.
    connect(pageBox, &QSpinBox::valueChanged, this, [this](int sheet) {
        const int page = view->pageOf(view->placeOf(view->currentPage()).pass, sheet - 1);
        if (page >= 0 && view->currentPage() != page)
            view->showPage(page);
    });
    connect(view, &PageView::currentPageChanged, this, &PreviewWindow::showSheetCount);
    connect(background, &QPushButton::clicked, this, &PreviewWindow::chooseBackground);
    connect(sheetsField, &QLineEdit::textEdited, this, &PreviewWindow::selectTyped);
    connect(passBox, &QSpinBox::valueChanged, this, &PreviewWindow::selectTyped);
    connect(view, &PageView::selectionChanged, this, [this] { printSelection->setEnabled(!view->selected().empty() && m_plan.refusal.isEmpty()); });
    connect(printSelection, &QPushButton::clicked, this,
            [this] { m_window.reprint(view->selection(), false, m_recorded ? &*m_recorded : nullptr); });
    connect(runChoice, &QComboBox::currentIndexChanged, this, &PreviewWindow::chooseRun);
    connect(&window, &Numero::printed, this, &PreviewWindow::listRuns);
    connect(trialSheet, &QPushButton::clicked, this, [this] { m_window.reprint({{1, {0}}}, true); });
    connect(stackTest, &QPushButton::clicked, this, [this] {
        m_window.stackTest();
        refresh();
    });
    connect(forgetPath, &QPushButton::clicked, this, [this] {
        if (m_window.dialogs().choice(QStringLiteral("Oublier le retournement de la pile appris pour l'imprimante « %1 » ? "
                                                     "Il faudra refaire l'essai de retournement pour le retrouver.")
                                          .arg(m_window.printer().name()),
                                      {QStringLiteral("Oui"), QStringLiteral("Non")}, 1, 1)
            != 0)
            return;
        QString failure;
        if (!storePath(m_window.settingsPath(), m_window.printer().name(), std::nullopt, &failure))
            m_window.dialogs().message(QStringLiteral("Le retournement n'a pas pu être oublié : %1.").arg(failure));
        refresh();
    });
    connect(calibration, &QPushButton::clicked, this, [this] {
        CalibrationDialog dialog(m_window, this);
        dialog.exec();
        refresh();
    });
    connect(noBackground, &QPushButton::clicked, this, [this] { setBackground(QString()); });
    connect(booklets, &QPushButton::clicked, this, &PreviewWindow::showBooklets);
    connect(raffle, &QPushButton::clicked, this, &PreviewWindow::showRaffle);

    connect(ticket, &TicketPanel::changed, this, [this](TicketModel model) {
        // Columns 0 mm apart would print on top of each other, and so would a stub just added.
        if (model.columns > 1 && model.pitch == 0)
            model.pitch = proposedPitch(m_plan, m_window.printer(), model.columns);
        if (model.stubs.size() > m_window.ticketModel().stubs.size() && model.stubs.back() == StubPlace())
            model.stubs.back() = proposedStub(m_window, m_window.printer(), model);
        m_window.setTicketModel(model);
    });

    // A burst of changes (a spinner held down) is drawn once.
    m_follow.setSingleShot(true);
    m_follow.setInterval(30);
    connect(&m_follow, &QTimer::timeout, this, &PreviewWindow::refresh);
    connect(&window, &Numero::parametersChanged, this, [this] {
        // A change is for the run the window plans: it is shown again.
        if (m_recorded)
            chooseRun(0);
        m_follow.start();
    });
}

void PreviewWindow::listRuns()
{
    const QSignalBlocker still(runChoice);
    runChoice->clear();
    m_runs.clear();
    const auto number = [](double n) { return padNumber(n, QStringLiteral("0000")); };
    m_plan = planRun(m_window, m_window.printer());
    runChoice->addItem(m_plan.passes() > 0 ? QStringLiteral("Tirage prévu, %1 à %2").arg(number(m_plan.first), number(m_plan.lastPrinted()))
                                           : QStringLiteral("Tirage prévu"));
    m_runs.emplace_back();
    for (const RunRecord::RunOnPaper& run : m_window.runRecord().runsOnPaper(10)) {
        runChoice->addItem(QStringLiteral("Tirage du %1, %2 à %3")
                               .arg(run.run.when.toString(QStringLiteral("dd/MM/yyyy à HH:mm")), number(run.run.first),
                                    number(run.run.last)));
        m_runs.push_back(run.layout);
    }
    chooseRun(m_runs.size() > 1 ? 1 : 0);
}

void PreviewWindow::chooseRun(int index)
{
    const QSignalBlocker still(runChoice);
    index = std::clamp(index, 0, int(m_runs.size()) - 1);
    runChoice->setCurrentIndex(index);
    m_recorded = index > 0 ? RecordedLayout::read(m_runs[std::size_t(index)]) : std::nullopt;
    refresh();
}

BookletListWindow* PreviewWindow::showBooklets()
{
    // One list at a time, the run shown's own.
    if (!m_bookletList)
        m_bookletList = new BookletListWindow(bookletList(m_plan), m_window.dialogs(), this);
    else
        m_bookletList->setList(bookletList(m_plan));
    m_bookletList->show();
    m_bookletList->raise();
    m_bookletList->activateWindow();
    return m_bookletList;
}

RaffleWindow* PreviewWindow::showRaffle()
{
    if (!m_raffle)
        m_raffle = openRaffleWindow(m_window.runRecord().path(), m_window.printer(), m_window.dialogs(), m_window.backgroundPicture(), this);
    m_raffle->show();
    m_raffle->raise();
    m_raffle->activateWindow();
    return m_raffle;
}

void PreviewWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    listRuns();
    if (m_loaded != m_window.backgroundPicture())
        setBackground(m_window.backgroundPicture());
}

void PreviewWindow::refresh()
{
    Printer& printer = m_window.printer();
    ticket->setModel(m_window.ticketModel());
    // What was learned of a printer is for its own paper.
    const bool paper = !printer.name().isEmpty() && !printer.writesFiles();
    const PrinterCorrections corrections = paper ? storedCorrections(m_window.settingsPath(), printer.name())
                                                 : PrinterCorrections();
    m_plan = planRun(m_recorded ? static_cast<const TicketLayout&>(*m_recorded) : m_window, printer, corrections);
    const int page = view->currentPage();
    view->setPlan(&m_plan);
    view->showPage(std::clamp(page, 0, view->pageCount() - 1));
    showPaperPath(paper);
    QStringList warned = planWarnings(m_plan, printer);
    // Said before the print button asks.
    if (m_recorded)
        summary->setText(summary->text()
                         + QStringLiteral("\nCe tirage est montré tel qu'il a été imprimé : ses feuilles peuvent être "
                                          "réimprimées et ses carnets listés. Pour préparer le suivant, choisissez « Tirage prévu »."));
    else if (m_plan.refusal.isEmpty() && m_plan.passes() > 0) {
        QString trouble;
        if (const auto overlap = m_window.runRecord().overlap(m_plan.first, m_plan.lastPrinted(), &trouble))
            warned << overlap->sentence();
        else if (!trouble.isEmpty())
            warned << QStringLiteral("Les numéros déjà imprimés ne sont pas vérifiés : %1.").arg(trouble);
    }
    warnings->setText(warned.join(u'\n'));
    warnings->setVisible(!warned.isEmpty());
    printerLine->setText(printer.name().isEmpty()
                             ? QStringLiteral("Aucune imprimante : les passages seront enregistrés en fichiers PDF, sur du A4 sans marges.")
                             : QStringLiteral("Imprimante « %1 » : les zones grisées sont ses marges non imprimables.").arg(printer.name()));
    // The pages show where the numbers land; the printer is asked for them elsewhere.
    if (corrections.any())
        printerLine->setText(printerLine->text()
                             + QStringLiteral("\nLes numéros sont déplacés pour compenser l'imprimante « %1 » (%2).")
                                   .arg(printer.name(), corrections.words()));
    showSheetCount(view->currentPage());
    // An open list of booklets follows the run shown.
    if (m_bookletList)
        m_bookletList->setList(bookletList(m_plan));
    passBox->setRange(1, std::max(1, m_plan.refusal.isEmpty() || m_plan.overlapping ? m_plan.passes() : 0));
    // Another run, other sheets: a selection does not outlive the plan it was made on.
    view->select({});
    // Pages shown for their clashes are not to be printed.
    trialSheet->setEnabled(view->pageCount() > 0 && m_plan.refusal.isEmpty());
    booklets->setEnabled(view->pageCount() > 0 && m_plan.refusal.isEmpty());
}

void PreviewWindow::showSheetCount(int page)
{
    const PageView::Place place = view->placeOf(page);
    const QSignalBlocker still(pageBox);
    pageBox->setRange(place.sheets > 0 ? 1 : 0, place.sheets);
    pageBox->setValue(place.sheet + 1);
    pageTotal->setText(QStringLiteral("sur %1").arg(QLocale(QLocale::French).toString(place.sheets)));
}

void PreviewWindow::showPaperPath(bool paper)
{
    const std::optional<PaperPath> path = paper ? storedPath(m_window.settingsPath(), m_window.printer().name()) : std::nullopt;
    summary->setText(planSummary(m_plan, path ? std::optional(path->face) : std::nullopt));
    paperLine->setText(path && m_plan.passes() < 2 ? QStringLiteral("Ce tirage tient en un seul passage : la pile n'est pas "
                                                                     "retournée.")
                       : path ? QStringLiteral("Entre les passages : %1").arg(movementWords(path->movement))
                            : QStringLiteral("Le retournement de la pile n'est pas encore connu pour cette imprimante : un essai "
                                             "de retournement sur trois feuilles de papier blanc évite de gâcher un tirage."));
    view->setTurnWords(path ? turnWords(m_window.printer().name(), path->movement) : QString());
    for (QWidget* shown : std::initializer_list<QWidget*>{paperLine, stackTest, forgetPath, calibration})
        shown->setVisible(paper);
    forgetPath->setEnabled(path.has_value());
}

void PreviewWindow::setBackground(const QString& path)
{
    QImage picture;
    if (!path.isEmpty()) {
        QString why;
        picture = sheetPicture(path, &why);
        if (picture.isNull()) {
            m_window.dialogs().message(why + QStringLiteral(" : l'aperçu continue sans fond de page."));
            // A stored picture may only be out of reach for now (a drive not plugged in): kept.
            if (path != m_window.backgroundPicture())
                return;
        }
    }
    m_loaded = path;
    m_window.setBackgroundPicture(path);
    view->setBackground(picture);
    noBackground->setEnabled(!path.isEmpty());
}

// « 3-5, 9 »: sheets of the chosen pass, from 1; what cannot be read selects nothing, and is
// said under the field.
void PreviewWindow::selectTyped()
{
    std::set<int> pages;
    QString why;
    const int pass = passBox->value();
    const TypedRanges typed = readRanges(sheetsField->text());
    if (typed.fault == TypedRanges::Fault::NotANumber)
        why = QStringLiteral("« %1 » n'est pas un numéro de feuille : tapez par exemple 3-5, 9.").arg(typed.part);
    else if (typed.fault == TypedRanges::Fault::Backwards)
        why = QStringLiteral("« %1 » va à l'envers : tapez %2-%3.").arg(typed.part).arg(typed.to).arg(typed.from);
    for (const auto& [from, to] : typed.ranges) {
        if (!why.isEmpty())
            break;
        if (from < 1)
            why = QStringLiteral("Les feuilles se comptent à partir de 1 : il n'y a pas de feuille %1.").arg(from);
        for (qint64 sheet = from; why.isEmpty() && sheet <= to; ++sheet) {
            const int page = sheet <= view->sheetsOf(pass) ? view->pageOf(pass, int(sheet - 1)) : -1;
            if (page < 0)
                why = view->sheetsOf(pass) == 0
                          ? QStringLiteral("Le passage %1 n'a aucune feuille à imprimer.").arg(pass)
                          : QStringLiteral("Le passage %1 n'a que %2 : il n'y a pas de feuille %3.")
                                .arg(pass)
                                .arg(view->sheetsOf(pass) > 1 ? QStringLiteral("%1 feuilles").arg(view->sheetsOf(pass))
                                                              : QStringLiteral("1 feuille"))
                                .arg(sheet);
            pages.insert(page);
        }
    }
    sheetsField->setStyleSheet(why.isEmpty() ? QString() : QStringLiteral("color: #b00000"));
    sheetsProblem->setText(why);
    sheetsProblem->setVisible(!why.isEmpty());
    view->select(why.isEmpty() ? pages : std::set<int>());
}

void PreviewWindow::chooseBackground()
{
    // Only the kinds this system's Qt can read are offered.
    QStringList patterns;
    const QList<QByteArray> readable = QImageReader::supportedImageFormats();
    for (const char* kind : {"png", "jpg", "jpeg", "bmp", "tif", "tiff"})
        if (readable.contains(kind))
            patterns << QStringLiteral("*.") + QLatin1String(kind);
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("Fond de page : une feuille de billets vierge, numérisée"),
        QFileInfo(m_window.backgroundPicture()).absolutePath(),
        QStringLiteral("Images (%1)").arg(patterns.join(u' ')));
    if (!path.isEmpty())
        setBackground(path);
}

} // namespace calvorigne
