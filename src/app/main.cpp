#include "app/settings.h"
#include "app/startup.h"
#include "platform/qtdialogs.h"
#include "platform/qtprinter.h"
#include "ui/window/numero.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Calvorigne"));
    QGuiApplication::setDesktopFileName(QStringLiteral("calvorigne"));
    calvorigne::installFrenchTranslations(application);

    calvorigne::QtPrinter printer;
    calvorigne::QtDialogs dialogs(printer);
    calvorigne::Numero window(printer, dialogs, calvorigne::defaultSettingsPath());
    calvorigne::Main(window);
    return QApplication::exec();
}
