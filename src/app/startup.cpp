#include "startup.h"

#include "app/settings.h"
#include "core/numbers.h"
#include "platform/dialogs.h"
#include "ui/window/numero.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QRadioButton>
#include <QScreen>
#include <QTranslator>

namespace calvorigne {

void installFrenchTranslations(QCoreApplication& application)
{
    // Built into the Windows program; elsewhere the system's copy, of the same Qt version.
    auto* translator = new QTranslator(&application);
    if (translator->load(QStringLiteral(":/translations/qtbase_fr"))
        || translator->load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
}

void Main(Numero& window)
{
    window.Form_Load();
    QDir::setCurrent(QDir::rootPath());

    const QString unreadable = unreadableSettingsFile(window.settingsPath());
    if (!unreadable.isEmpty())
        window.dialogs().message(QStringLiteral("Le fichier de paramètres « %1 » n'a pas pu être lu : "
                                                "la fenêtre s'ouvre sans les paramètres enregistrés.")
                                     .arg(QDir::toNativeSeparators(unreadable)));
    const StoredSettings stored = readSettings(window.settingsPath());
    window.Chk_Bold->setCheckState(stored.bold == u"True" ? Qt::Checked : Qt::Unchecked);
    if (stored.org == u"True")
        window.opt_org[1]->setChecked(true);
    const std::uint32_t colour = colourFromNumber(roundHalfEven(readNumber(stored.colour)));

    // Captions take the stored text as it is; their change handlers do the rest.
    window.Lbl_X->setCaption(stored.x);
    window.Lbl_Y->setCaption(stored.y);
    window.Lbl_E->setCaption(stored.e);
    window.Lbl_H->setCaption(stored.top);
    window.Lbl_B->setCaption(stored.bottom);
    if (stored.folio)
        window.Lbl_folio->setCaption(*stored.folio);
    window.setList1Text(stored.fontName);
    if (window.list1Text().isEmpty())
        window.keepStoredFontName(stored.fontName);
    window.Lbl_Size->setCaption(stored.size);
    // The stored colour is also the ink, so the sample, the saved colour and the print agree.
    window.setInkColour(colour);
    window.Cmd_Try->click();
    window.setSampleColour(colour);
    window.setBackgroundPicture(stored.background);
    window.setTicketModel(stored.model);
    window.showLastRun();

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = window.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window.move(frame.topLeft());
    }
    window.show();
}

} // namespace calvorigne
