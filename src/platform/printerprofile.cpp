#include "printerprofile.h"

#include "platform/files.h"
#include "platform/profiletext.h"

#include <QDir>

namespace calvorigne {

namespace {

bool writeKeys(const QString& file, const QByteArray& section, const PrinterKeys& keys)
{
    bool ok = true;
    for (const auto& [key, value] : keys)
        ok &= writeProfileText(file, section.constData(), key, value);
    return ok;
}

} // namespace

QByteArray printerSection(const QString& printer)
{
    // Brackets, the separators, the percent sign and every byte past ASCII are percent-encoded;
    // so are blanks at the ends, which the profile functions would drop.
    QByteArray name = printer.toUtf8().toPercentEncoding(" !\"#$&'()*+,/:<>?@\\^`{|}");
    if (name.endsWith(' '))
        name = name.chopped(1) + "%20";
    return "Imprimante " + name;
}

QString readPrinterKey(const QString& settingsPath, const QString& printer, const char* key)
{
    return readProfileText(settingsInUse(settingsPath), printerSection(printer).constData(), key, 256);
}

bool writePrinterKeys(const QString& settingsPath, const QString& printer, const PrinterKeys& keys, QString* failure)
{
    const QByteArray section = printerSection(printer);
    bool ok = writeKeys(settingsInUse(settingsPath), section, keys);
    if (!ok) {
        if (const QString taken = takeOverSettings(settingsPath); !taken.isEmpty())
            ok = writeKeys(taken, section, keys);
    }
    if (!ok && failure)
        *failure = QStringLiteral("le fichier des paramètres « %1 » n'a pas pu être écrit (%2)")
                       .arg(QDir::toNativeSeparators(settingsPath), lastFailure());
    return ok;
}

} // namespace calvorigne
