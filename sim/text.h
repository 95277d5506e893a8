// Text as Windows compares it in the simulated machine: names of keys, files and faults without
// regard to case, and lstrcmpi by the rules of the user's locale. The locale the tests assume is
// English with code page 1252.
#pragma once

#include <string>

namespace sim {

// Upper case by the rules of code page 1252: ASCII letters and the accented letters of Latin-1.
std::string upperCodePage1252(std::string text);

// Ordering of names that ignores case, as the registry and the file system compare them.
struct NoCaseLess {
    bool operator()(const std::string& left, const std::string& right) const;
};
bool sameName(const std::string& left, const std::string& right);

// lstrcmpi: a linguistic comparison, not bytes after upper-casing. Ligatures compare as the
// letters they stand for ("ß" as "ss", "æ" as "ae"); hyphens and apostrophes count only when
// all else is equal, so "co-op" sorts right after "coop" yet differs from it; punctuation sorts
// before digits and digits before letters; an accented letter sorts right after its plain one.
int compareByLocale(const std::string& left, const std::string& right);

}  // namespace sim
