// File operations the system does better than Qt says: why a call failed, and a rename that
// replaces its target at once.
#pragma once

#include <QString>

namespace calvorigne {

// Why the last system call failed, in the program's words.
QString lastFailure();

// Puts the file from in the place of to at once, replacing it.
bool replaceWith(const QString& from, const QString& to);

// The wanted name, or the first of name-2.pdf, name-3.pdf… that no file has.
QString nextFreeName(const QString& wanted);

// The copy of a file in a protected folder that Windows' virtualisation keeps in the user's
// VirtualStore; empty where the path is not virtualised.
QString virtualStoreCopy(const QString& path);

// The settings file the program reads: the user's VirtualStore copy once there is one.
QString settingsInUse(const QString& settingsPath);

// When Windows refuses a write to a settings file in a protected folder, the user's own copy
// takes over, starting from what the file held so that no line of it is lost: that copy,
// made now; empty where there is none to make.
QString takeOverSettings(const QString& settingsPath);

// A file of the program's own beside the settings file, where the user may write.
QString besideSettings(const QString& settingsPath, const QString& name);

} // namespace calvorigne
