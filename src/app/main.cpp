#include "app/instance.h"
#include "app/settings.h"
#include "platform/files.h"
#include "app/startup.h"
#include "platform/qtdialogs.h"
#include "platform/qtprinter.h"
#include "records/runrecord.h"
#include "ui/raffle/opening.h"
#include "ui/window/numero.h"

#include <QApplication>
#include <QFileInfo>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Calvorigne"));
    QGuiApplication::setDesktopFileName(QStringLiteral("calvorigne"));
    calvorigne::installFrenchTranslations(application);

    calvorigne::QtPrinter printer;
    calvorigne::QtDialogs dialogs(printer);
    const QString settings = calvorigne::defaultSettingsPath();
    // The launcher's « suivi de la tombola »: that window alone, beside a Calvorigne that may be
    // printing; the register lets one window write at a time.
    if (application.arguments().contains(QStringLiteral("--tombola"))) {
        calvorigne::openRaffleWindow(calvorigne::RunRecord::pathFor(settings), printer, dialogs, calvorigne::readSettings(settings).background);
        return QApplication::exec();
    }
    calvorigne::Instance instance(QFileInfo(calvorigne::besideSettings(settings, QStringLiteral(".Calvorigne.lock"))).absolutePath());
    if (!instance.isFirst()) {
        dialogs.message(QStringLiteral("Calvorigne est déjà ouvert."));
        instance.callFirst();
        return 0;
    }
    calvorigne::removeLeftovers(settings, printer.documentsFolder());

    calvorigne::Numero window(printer, dialogs, settings);
    QObject::connect(&instance, &calvorigne::Instance::called, &window, [&window] {
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
        window.raise();
        window.activateWindow();
    });
    calvorigne::Main(window);
    return QApplication::exec();
}
