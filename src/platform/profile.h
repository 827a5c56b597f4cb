// The two private-profile functions the settings file is read and written through.
//
// On Windows these are kernel32's own. Elsewhere this translation unit provides the same two
// functions, with the Win32 signatures and behaviour, using the C++ and POSIX libraries only:
// names match without regard to ASCII case or surrounding blanks, blanks and one pair of
// matching quotes around a value are dropped on reading, a value is cut to the buffer, a
// null section or key lists the names, and a write changes only the line it concerns (a
// null key deletes the section, a null value the key). Unlike the Windows original, every
// write replaces the whole file atomically (a temporary file of a fresh name beside it, then
// a rename), so a crash or a full disk never leaves a torn settings file.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdint>

using DWORD = std::uint32_t;
using BOOL = int;
using LPCSTR = const char*;
using LPSTR = char*;

// Copies the value of key in section (or the default, less its trailing blanks) into buffer,
// cut to size - 1 characters and terminated; returns the count of characters copied.
DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer,
                               DWORD size, LPCSTR fileName);

// Sets key in section to value, creating the file, the section or the key as needed;
// returns nonzero on success.
BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName);
#endif
