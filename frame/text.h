// Text helpers the actions share: folder paths and the decimal form of numbers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "error.h"

namespace orv {

// Appends one "\" unless the text is empty or already ends with one.
std::string ensureTrailingBackslash(std::string path);
// Removes one final "\", if there is one.
std::string stripTrailingBackslash(std::string path);
// The root a full path starts with, its separator included when there is one: "C:\" (3), or
// "\\server\share\" for a UNC path; 0 for any other path, which Windows would resolve against
// the current folder or drive, and for msiexec that is wherever it happens to run.
std::size_t rootLength(std::string_view path);
bool isFullPath(std::string_view path);

struct ConversionError : Error {
    using Error::Error;
};

// The whole text as a signed decimal 32-bit integer (an optional sign, then digits only);
// anything else raises ConversionError.
std::int32_t parseInteger(std::string_view text);
// The leading decimal number of a text, as atoi reads it: blanks, an optional sign, digits;
// no digits give 0, and a number past the 32-bit range stops at its limit.
std::int32_t leadingInteger(std::string_view text);
// An integer as profile (INI) files write it: decimal, or hexadecimal after "0x", "0X" or "$",
// the whole text; anything else gives `fallback`.
std::int32_t profileInteger(std::string_view text, std::int32_t fallback);
// Decimal text as "%i" writes it.
std::string formatInteger(std::int32_t value);
// A dialog slot's property: the prefix followed directly by the slot number ("Enable_Dest_1").
std::string numberedName(std::string_view prefix, std::int32_t number);

}  // namespace orv
