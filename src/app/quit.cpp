// Quit with the save question, and the printer dialog.
#include "app/settings.h"
#include "platform/dialogs.h"
#include "ui/window/numero.h"

#include <QCoreApplication>
#include <QDir>
#include <QRadioButton>

namespace calvorigne {

void Numero::cmd_end_Click()
{
    if (m_dialogs.question(QStringLiteral("Voulez-vous enregistrer les paramètres ci-dessus"))) {
        SavedSettings saved;
        saved.fontName = savedFontName();
        saved.size = Lbl_Size->caption();
        saved.colour = sampleColour();
        saved.foliated = opt_org[1]->isChecked();
        saved.folio = Lbl_folio->caption();
        saved.bold = bold();
        saved.top = Lbl_H->caption();
        saved.bottom = Lbl_B->caption();
        saved.x = Lbl_X->caption();
        saved.y = Lbl_Y->caption();
        saved.e = Lbl_E->caption();
        saved.background = backgroundPicture();
        saved.model = ticketModel();
        // A failed save loses nothing unless the user says so.
        QString cause;
        while (!writeSettings(m_settingsPath, saved, &cause)) {
            const int answer = m_dialogs.choice(
                QStringLiteral("Les paramètres n'ont pas pu être enregistrés dans « %1 » : %2.")
                    .arg(QDir::toNativeSeparators(m_settingsPath), cause),
                {QStringLiteral("Réessayer"), QStringLiteral("Revenir à la fenêtre"),
                 QStringLiteral("Quitter sans enregistrer")},
                1);
            if (answer == 1)
                return;
            if (answer != 0)
                break;
        }
    }
    close();
    QCoreApplication::quit();
}

void Numero::Command2_Click()
{
    m_dialogs.printerDialog();
}

} // namespace calvorigne
