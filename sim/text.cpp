#include "text.h"

#include <algorithm>
#include <tuple>
#include <vector>

namespace sim {

namespace {

char upperChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 'a' && u <= 'z') return static_cast<char>(u - 32);
    if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return static_cast<char>(u - 32);
    switch (u) {
        case 0x9A: return static_cast<char>(0x8A);
        case 0x9C: return static_cast<char>(0x8C);
        case 0x9E: return static_cast<char>(0x8E);
        case 0xFF: return static_cast<char>(0x9F);
        default: return c;
    }
}

// The plain letter under an accented upper-case letter of code page 1252, or 0.
char baseLetter(unsigned char u) {
    if (u >= 0xC0 && u <= 0xC5) return 'A';
    if (u == 0xC7) return 'C';
    if (u >= 0xC8 && u <= 0xCB) return 'E';
    if (u >= 0xCC && u <= 0xCF) return 'I';
    if (u == 0xD0) return 'D';
    if (u == 0xD1) return 'N';
    if ((u >= 0xD2 && u <= 0xD6) || u == 0xD8) return 'O';
    if (u >= 0xD9 && u <= 0xDC) return 'U';
    if (u == 0xDD || u == 0x9F) return 'Y';
    if (u == 0x8A) return 'S';
    if (u == 0x8E) return 'Z';
    return 0;
}

// One compared unit: its primary weight (class, then letter), and the accent that only breaks
// ties; `minor` marks the hyphen and apostrophe, which count only when all else is equal.
struct Unit {
    int primary;
    int accent;
    bool minor;
};

std::vector<Unit> unitsOf(const std::string& text) {
    std::vector<Unit> units;
    const auto letter = [&units](char c, int accent) { units.push_back({3000 + static_cast<unsigned char>(c), accent, false}); };
    for (char raw : text) {
        const auto u = static_cast<unsigned char>(upperChar(raw));
        if (u == 0xDF) {  // sharp s
            letter('S', 0);
            letter('S', 0);
        } else if (u == 0xC6) {  // Æ
            letter('A', 0);
            letter('E', 0);
        } else if (u == 0x8C) {  // Œ
            letter('O', 0);
            letter('E', 0);
        } else if (u == '-' || u == '\'') {
            units.push_back({u, 0, true});
        } else if (u >= 'A' && u <= 'Z') {
            letter(static_cast<char>(u), 0);
        } else if (const char base = baseLetter(u)) {
            letter(base, u);
        } else if (u >= '0' && u <= '9') {
            units.push_back({2000 + u, 0, false});
        } else {
            units.push_back({1000 + u, 0, false});
        }
    }
    return units;
}

}  // namespace

std::string upperCodePage1252(std::string text) {
    for (char& c : text) c = upperChar(c);
    return text;
}

bool NoCaseLess::operator()(const std::string& left, const std::string& right) const {
    return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end(), [](char a, char b) {
        return static_cast<unsigned char>(upperChar(a)) < static_cast<unsigned char>(upperChar(b));
    });
}

bool sameName(const std::string& left, const std::string& right) {
    return !NoCaseLess()(left, right) && !NoCaseLess()(right, left);
}

int compareByLocale(const std::string& left, const std::string& right) {
    const std::vector<Unit> a = unitsOf(left);
    const std::vector<Unit> b = unitsOf(right);
    const auto major = [](const std::vector<Unit>& units) {
        std::vector<int> weights;
        for (const Unit& unit : units)
            if (!unit.minor) weights.push_back(unit.primary);
        return weights;
    };
    // First the letters, digits and punctuation; then the accents; then hyphens and apostrophes.
    if (const auto ma = major(a), mb = major(b); ma != mb)
        return std::lexicographical_compare(ma.begin(), ma.end(), mb.begin(), mb.end()) ? -1 : 1;
    std::vector<int> accentsA, accentsB;
    for (const Unit& unit : a)
        if (!unit.minor) accentsA.push_back(unit.accent);
    for (const Unit& unit : b)
        if (!unit.minor) accentsB.push_back(unit.accent);
    if (accentsA != accentsB)
        return std::lexicographical_compare(accentsA.begin(), accentsA.end(), accentsB.begin(), accentsB.end()) ? -1 : 1;
    // Last the hyphens and apostrophes: a text without them sorts before one with them, as the
    // marks' weights follow all the others in the locale's sort key.
    const auto marks = [](const std::vector<Unit>& units) {
        std::vector<std::tuple<std::size_t, int>> found;
        std::size_t position = 0;
        for (const Unit& unit : units) {
            if (unit.minor)
                found.emplace_back(position, unit.primary);
            else
                ++position;
        }
        return found;
    };
    const auto ma = marks(a), mb = marks(b);
    if (ma == mb) return 0;
    if (ma.size() != mb.size()) return ma.size() < mb.size() ? -1 : 1;
    return std::lexicographical_compare(ma.begin(), ma.end(), mb.begin(), mb.end()) ? -1 : 1;
}

}  // namespace sim
