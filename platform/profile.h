#pragma once

#include <string>

// The program's settings, kept in the registry under
// HKEY_CURRENT_USER\Software\Sortune\<section> (the program uses the section "Set").
// Integers are REG_DWORD values, strings REG_SZ values. A missing value, or one stored with
// the other type, reads as the caller's default. Keys are created when first written; reading
// creates nothing.

unsigned int GetProfileInt(const std::string& section, const std::string& entry, int defaultValue);
std::string GetProfileString(const std::string& section, const std::string& entry,
                             const std::string& defaultValue = "");

// True when the value was stored. A string holding a NUL byte is refused, since it could not
// be read back whole.
bool WriteProfileInt(const std::string& section, const std::string& entry, int value);
bool WriteProfileString(const std::string& section, const std::string& entry,
                        const std::string& value);
