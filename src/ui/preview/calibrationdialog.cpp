#include "calibrationdialog.h"

#include "correction/ruler.h"
#include "correction/sheet.h"
#include "correction/store.h"
#include "platform/dialogs.h"
#include "platform/printer.h"
#include "ui/window/numero.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace calvorigne {

CalibrationDialog::CalibrationDialog(Numero& window, QWidget* parent) : QDialog(parent), m_window(window)
{
    setWindowTitle(QStringLiteral("Calvorigne – réglage de l'imprimante"));
    const QString printer = window.printer().name();
    auto* layout = new QVBoxLayout(this);
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
            QString failure;
            if (!storeCorrection(m_window.settingsPath(), m_window.printer().name(), pass + 1, std::nullopt, &failure))
                m_window.dialogs().message(QStringLiteral("Le réglage n'a pas pu être oublié : %1.").arg(failure));
            showStored();
        });
    }
    stored = new QLabel(this);
    stored->setWordWrap(true);
    layout->addWidget(stored);
    connect(printSheet, &QPushButton::clicked, this, [this] { m_window.calibrationSheet(); });
    showStored();
}

void CalibrationDialog::savePass(int pass)
{
    QStringList typed;
    for (QLineEdit* field : distances[pass - 1])
        typed << field->text();
    const QString printer = m_window.printer().name();
    const RulerReading reading = rulerCorrection(m_window.printer().sheet().size(), pass, typed);
    QString failure;
    if (!reading.correction)
        m_window.dialogs().message(QStringLiteral("Passage %1 : %2").arg(pass).arg(reading.refusal));
    else if (!storeCorrection(m_window.settingsPath(), printer, pass, reading.correction, &failure))
        m_window.dialogs().message(QStringLiteral("Le réglage n'a pas pu être retenu : %1.").arg(failure));
    showStored();
}

void CalibrationDialog::showStored()
{
    const PrinterCorrections corrections = storedCorrections(m_window.settingsPath(), m_window.printer().name());
    stored->setText(corrections.any() ? QStringLiteral("Réglage de l'imprimante %1 : %2").arg(m_window.printer().name(), corrections.words())
                                      : QStringLiteral("Aucun réglage pour l'imprimante « %1 » : elle imprime sans correction.")
                                            .arg(m_window.printer().name()));
    for (int pass = 0; pass < 2; ++pass)
        forget[pass]->setEnabled(corrections.pass[pass].has_value());
}

} // namespace calvorigne
