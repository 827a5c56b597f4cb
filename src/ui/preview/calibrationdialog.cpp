#include "calibrationdialog.h"

#include "correction/ruler.h"
#include "correction/sheet.h"
#include "correction/store.h"
#include "platform/dialogs.h"
#include "platform/printer.h"
#include "platform/printerprofile.h"
#include "ui/window/numero.h"

#include "platform/sheetpicture.h"

#include <QBoxLayout>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QPainter>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>
#include <QThread>
#include <memory>

namespace calvorigne {

namespace {

// In the printer's section: its scans are of its own sheets.
const char* const scanFolderKey = "DossierNumerisation";
constexpr int scanShown = 340; // pixels: the whole scan, its longer side

} // namespace

CalibrationDialog::CalibrationDialog(Numero& window, QWidget* parent) : QDialog(parent), m_window(window)
{
    setWindowTitle(QStringLiteral("Calvorigne – réglage de l'imprimante"));
    const QString printer = window.printer().name();
    // The ruler on the left, the scan on the right: the dialog fits a laptop's screen.
    auto* outer = new QVBoxLayout(this);
    auto* columns = new QHBoxLayout;
    outer->addLayout(columns);
    auto* layout = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(layout, 1);
    columns->addLayout(right);
    auto* steps = new QLabel(
        QStringLiteral("Imprimez la feuille de réglage sur une feuille de papier blanc, dans le sens d'un tirage. Mesurez "
                       "ensuite à la règle, du bord de la feuille au centre de chaque croix, les repères du passage 1 "
                       "avec la flèche vers le haut, puis ceux du passage 2 en tournant la feuille pour lire « passage 2 » "
                       "à l'endroit. L'imprimante « %1 » imprimera alors chaque numéro à sa place.")
            .arg(printer),
        this);
    steps->setWordWrap(true);
    layout->addWidget(steps);
    printSheet = new QPushButton(QStringLiteral("Imprimer la feuille de réglage"), this);
    layout->addWidget(printSheet, 0, Qt::AlignLeft);
    const QSizeF paper = window.printer().sheet().size();
    for (int pass = 0; pass < 2; ++pass) {
        auto* box = new QGroupBox(QStringLiteral("Passage %1").arg(pass + 1), this);
        auto* grid = new QGridLayout(box);
        grid->addWidget(new QLabel(QStringLiteral("du bord gauche (mm)"), box), 0, 1);
        grid->addWidget(new QLabel(QStringLiteral("du bord haut (mm)"), box), 0, 2);
        const std::vector<CalibrationTarget> targets = rulerTargets(paper, pass + 1);
        for (int k = 0; k < 3; ++k) {
            grid->addWidget(new QLabel(targets[std::size_t(k)].label, box), k + 1, 0);
            for (int axis = 0; axis < 2; ++axis) {
                distances[pass][2 * k + axis] = new QLineEdit(box);
                grid->addWidget(distances[pass][2 * k + axis], k + 1, axis + 1);
            }
        }
        save[pass] = new QPushButton(QStringLiteral("Retenir le passage %1").arg(pass + 1), box);
        forget[pass] = new QPushButton(QStringLiteral("Oublier"), box);
        grid->addWidget(save[pass], 4, 1);
        grid->addWidget(forget[pass], 4, 2);
        layout->addWidget(box);
        connect(save[pass], &QPushButton::clicked, this, [this, pass] { savePass(pass + 1); });
        connect(forget[pass], &QPushButton::clicked, this, [this, pass] {
            // A measure costs a sheet and a quarter of an hour: one click does not throw it away.
            if (m_window.dialogs().choice(QStringLiteral("Oublier le réglage du passage %1 de l'imprimante « %2 » ? Les tirages "
                                                         "suivants seront imprimés sans le corriger.")
                                              .arg(pass + 1)
                                              .arg(m_window.printer().name()),
                                          {QStringLiteral("Oui"), QStringLiteral("Non")}, 1, 1)
                != 0)
                return;
            store(pass + 1, std::nullopt);
            showStored();
        });
    }
    stored = new QLabel(this);
    stored->setWordWrap(true);
    layout->addWidget(stored);
    layout->addStretch();
    auto* scanning = new QHBoxLayout;
    openScan = new QPushButton(QStringLiteral("Lire une numérisation…"), this);
    openScan->setToolTip(QStringLiteral("La feuille de réglage imprimée, numérisée de 150 à 1 200 points par pouce, couvercle "
                                        "ouvert ou sur un fond sombre pour que ses bords se voient"));
    keepScan = new QPushButton(QStringLiteral("Retenir ce qu'a lu la numérisation"), this);
    keepScan->setEnabled(false);
    scanning->addWidget(openScan);
    scanning->addWidget(keepScan);
    right->addLayout(scanning);
    scanView = new QLabel(this);
    scanView->setMinimumSize(scanShown, scanShown);
    scanView->setAlignment(Qt::AlignCenter);
    scanWords = new QLabel(this);
    scanWords->setWordWrap(true);
    scanWords->setFixedWidth(scanShown + 40);
    right->addWidget(scanView);
    right->addWidget(scanWords);
    right->addStretch();
    connect(printSheet, &QPushButton::clicked, this, [this] { m_window.calibrationSheet(); });
    connect(openScan, &QPushButton::clicked, this, [this] {
        // Where the scanner left the last one, else where scanners leave pictures.
        const QString printer = m_window.printer().name();
        QString folder = readPrinterKey(m_window.settingsPath(), printer, scanFolderKey);
        if (folder.isEmpty() || !QFileInfo(folder).isDir())
            folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        if (!QFileInfo(folder).isDir())
            folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("La feuille de réglage numérisée"), folder,
                                                          QStringLiteral("Images (*.png *.jpg *.jpeg *.tif *.tiff *.bmp)"));
        if (!path.isEmpty())
            readScanFile(path);
    });
    connect(keepScan, &QPushButton::clicked, this, [this] {
        // A scan that was read holds both passes.
        for (int pass = 1; pass <= 2; ++pass)
            if (!store(pass, m_scan.pass[pass - 1]))
                break;
        keepScan->setEnabled(false);
        showStored();
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Fermer"));
    outer->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    showStored();
}

void CalibrationDialog::savePass(int pass)
{
    QStringList typed;
    for (QLineEdit* field : distances[pass - 1])
        typed << field->text();
    const RulerReading reading = rulerCorrection(m_window.printer().sheet().size(), pass, typed);
    if (!reading.correction)
        m_window.dialogs().message(QStringLiteral("Passage %1 : %2").arg(pass).arg(reading.refusal));
    else
        store(pass, reading.correction);
    showStored();
}

bool CalibrationDialog::store(int pass, const std::optional<PrinterCorrection>& correction)
{
    QString failure;
    if (storeCorrection(m_window.settingsPath(), m_window.printer().name(), pass, correction, &failure))
        return true;
    m_window.dialogs().message(QStringLiteral("Le réglage n'a pas pu être %1 : %2.")
                                   .arg(correction ? QStringLiteral("retenu") : QStringLiteral("oublié"), failure));
    return false;
}

void CalibrationDialog::readScanFile(const QString& path)
{
    // A 1,200 dpi scan takes seconds to load and read: the window keeps drawing meanwhile.
    const QSizeF paper = m_window.printer().sheet().size();
    const QString printer = m_window.printer().name();
    QString failure; // the folder is a convenience: not worth a word when it cannot be kept
    writePrinterKeys(m_window.settingsPath(), printer, {{scanFolderKey, QFileInfo(path).absolutePath()}}, &failure);
    QImage scan;
    ScanReading reading;
    std::unique_ptr<QThread> reader(QThread::create([&scan, &reading, path, paper, printer] {
        QString why;
        scan = sheetPicture(path, &why);
        reading = scan.isNull() ? ScanReading{{}, {}, why + u'.'} : readScan(scan, paper, printer);
    }));
    QEventLoop waiting;
    connect(reader.get(), &QThread::finished, &waiting, &QEventLoop::quit);
    const QPointer<CalibrationDialog> self(this);
    setEnabled(false);
    scanView->clear();
    scanWords->setText(QStringLiteral("Lecture de la numérisation…"));
    m_window.dialogs().setBusy(true);
    reader->start();
    waiting.exec();
    reader->wait();
    m_window.dialogs().setBusy(false);
    if (!self)
        return;
    setEnabled(true);
    m_scan = reading;
    showScan(scan, m_scan);
    if (!m_scan.refusal.isEmpty()) {
        // Within the sentence, after its colon.
        QString why = m_scan.refusal;
        why[0] = why[0].toLower();
        m_window.dialogs().message(QStringLiteral("Rien n'a été retenu de cette numérisation : %1").arg(why));
    }
}

void CalibrationDialog::showScan(const QImage& scan, const ScanReading& reading)
{
    keepScan->setEnabled(reading.refusal.isEmpty());
    if (!reading.refusal.isEmpty() || scan.isNull()) {
        scanView->clear();
        scanWords->setText(reading.refusal);
        return;
    }
    // Each target where it was found, its residual drawn two hundred times larger.
    const double shrink = double(scanShown) / std::max(scan.width(), scan.height());
    QImage view = scan.scaled(scan.size() * shrink, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                      .convertToFormat(QImage::Format_RGB32);
    QPainter painter(&view);
    painter.setRenderHint(QPainter::Antialiasing);
    double worst = 0;
    for (const FoundTarget& target : reading.targets) {
        const QPointF at = target.inScan * shrink;
        painter.setPen(QPen(target.pass == 1 ? QColor(30, 70, 200) : QColor(210, 40, 40), 1.5));
        painter.drawEllipse(at, 6, 6);
        painter.drawLine(at, at + target.residual * 200 * shrink * scan.width() / m_window.printer().sheet().width());
        worst = std::max(worst, std::hypot(target.residual.x(), target.residual.y()));
    }
    painter.end();
    scanView->setPixmap(QPixmap::fromImage(view));
    QStringList passes;
    for (int pass = 0; pass < 2; ++pass)
        passes << QStringLiteral("passage %1 : %2").arg(pass + 1).arg(reading.pass[pass]->words());
    scanWords->setText(QStringLiteral("Les %1 repères ont été trouvés (écart %2\u00a0mm au plus).\nLu sur la numérisation :\n%3.")
                           .arg(reading.targets.size())
                           .arg(QLocale(QLocale::French).toString(worst, 'f', 2), passes.join(QStringLiteral(" ;\n"))));
}

void CalibrationDialog::showStored()
{
    const PrinterCorrections corrections = storedCorrections(m_window.settingsPath(), m_window.printer().name());
    QStringList kept;
    for (int pass = 0; pass < 2; ++pass)
        kept << QStringLiteral("passage %1 : %2")
                    .arg(pass + 1)
                    .arg(corrections.pass[pass] ? corrections.pass[pass]->words() : QStringLiteral("aucun réglage, imprimé tel quel"));
    stored->setText(corrections.any() ? QStringLiteral("Réglage retenu pour l'imprimante « %1 » :\n%2.")
                                            .arg(m_window.printer().name(), kept.join(QStringLiteral(" ;\n")))
                                      : QStringLiteral("Aucun réglage retenu pour l'imprimante « %1 » : elle imprime sans correction.")
                                            .arg(m_window.printer().name()));
    for (int pass = 0; pass < 2; ++pass)
        forget[pass]->setEnabled(corrections.pass[pass].has_value());
}

} // namespace calvorigne
