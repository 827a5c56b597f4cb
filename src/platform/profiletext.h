// Texts of an INI file through the private-profile functions, in the file's Latin-1: the
// part of the French ANSI code page that every system reads.
#pragma once

#include <QString>
#include <optional>

namespace calvorigne {

// The value, cut to bufferSize - 1 characters; empty when the file, section or key is missing.
QString readProfileText(const QString& file, const char* section, const char* key, int bufferSize);

// Sets the key; no value removes it, and no key the whole section. False when the file cannot
// be written.
bool writeProfileText(const QString& file, const char* section, const char* key, const std::optional<QString>& value);

} // namespace calvorigne
