// The settings file: eleven keys in four sections, read at start-up, written on quit.
//
// The values travel as the texts the window shows. Reading keeps each stored text as it is
// (cut to its read limit); writing turns the numeric captions into the file's number form.
#pragma once

#include "print/ticketmodel.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace calvorigne {

// Where the settings file lives on this system.
QString defaultSettingsPath();

// What the start-up takes from the file, in the file's own texts.
struct StoredSettings {
    QString fontName, size, bold, colour, org;
    std::optional<QString> folio; // read only when the organisation is foliated
    QString top, bottom, x, y, e;
    QString background; // the preview's picture of a sheet, the user's own file
    TicketModel model;
};

// On Windows a file in a protected folder (C:\Windows) has a copy of the user's own in
// %LOCALAPPDATA%\VirtualStore, as Windows' virtualisation kept it: when that copy exists it is
// read and written instead; a write the folder refuses goes to a new copy.

// The settings file when it exists but cannot be read (no permission, not a file); empty
// otherwise.
QString unreadableSettingsFile(const QString& path);

// Reads the eleven keys in their order; absent file, section or key give empty texts.
StoredSettings readSettings(const QString& path);

// The window's parameters as they are saved.
struct SavedSettings {
    QString fontName, size;
    std::uint32_t colour = 0;
    bool foliated = false;
    QString folio;
    bool bold = false;
    QString top, bottom, x, y, e;
    QString background;
    TicketModel model;
};

// Writes every key in its order through the profile functions, on a copy of the file that
// then replaces it at once, so the file holds either all the old values or all the new ones.
// Creates the file's folder. On failure, says why in French in failure, when given.
bool writeSettings(const QString& path, const SavedSettings& values, QString* failure = nullptr);

// A caption in the file's number form: " 12", "-3", " 12.5"; empty when it holds no number.
QString numberForm(const QString& caption);

} // namespace calvorigne
