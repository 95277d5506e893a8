#include "registry_file.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <ostream>
#include <sstream>
#include <stdexcept>

#include "process.h"

namespace engine {

RegValue RegValue::string(std::string text) {
    RegValue value;
    value.type = RegType::String;
    value.text = std::move(text);
    return value;
}

RegValue RegValue::unterminatedString(std::string text) {
    RegValue value = string(std::move(text));
    value.terminated = false;
    return value;
}

RegValue RegValue::expandString(std::string text) {
    RegValue value = string(std::move(text));
    value.type = RegType::ExpandString;
    return value;
}

RegValue RegValue::multiString(std::vector<std::string> strings) {
    RegValue value;
    value.type = RegType::MultiString;
    value.strings = std::move(strings);
    return value;
}

RegValue RegValue::number(std::uint32_t number) {
    RegValue value;
    value.type = RegType::Dword;
    value.dword = number;
    return value;
}

RegValue RegValue::binary(std::string bytes) {
    RegValue value;
    value.type = RegType::Binary;
    value.bytes = std::move(bytes);
    return value;
}

RegValue RegValue::other(std::uint32_t type, std::string bytes) {
    RegValue value;
    value.type = RegType::Other;
    value.otherType = type;
    value.bytes = std::move(bytes);
    return value;
}

namespace {

constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kRegMultiSz = 7;

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// UTF-8 and UTF-16 both ways. A lone surrogate, which the registry may hold, goes through as
// its own three-byte sequence, so that every value survives the trip.
void appendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::string toUtf8(const std::u16string& units) {
    std::string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const std::uint32_t unit = units[i];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
            appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

// Malformed bytes pass as Latin-1.
std::u16string toUtf16(const std::string& text) {
    std::u16string units;
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    for (std::size_t i = 0; i < text.size();) {
        const unsigned lead = byte(i);
        const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        bool wellFormed = extra > 0;
        for (int k = 1; wellFormed && k <= extra; ++k) wellFormed = i + k < text.size() && (byte(i + k) & 0xC0) == 0x80;
        if (!wellFormed) {
            units += static_cast<char16_t>(lead);
            ++i;
            continue;
        }
        std::uint32_t code = lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) code = (code << 6) | (byte(i + k) & 0x3F);
        i += extra + 1;
        if (code >= 0x10000) {
            units += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            units += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            units += static_cast<char16_t>(code);
        }
    }
    return units;
}

std::string littleEndian(const std::u16string& units) {
    std::string bytes;
    for (char16_t unit : units) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

std::u16string fromLittleEndian(const std::string& bytes) {
    std::u16string units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
    return units;
}

bool isHexDigit(char16_t unit) { return unit < 0x80 && std::isxdigit(static_cast<unsigned char>(unit)); }
bool isOctalDigit(char16_t unit) { return unit >= '0' && unit <= '7'; }

// The units of a quoted string as Wine writes it; see the header for the escapes.
std::u16string unescape(const std::string& text) {
    const std::u16string in = toUtf16(text);
    std::u16string out;
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '\\' || i + 1 == in.size()) {
            out += in[i];
            continue;
        }
        const char16_t c = in[++i];
        if (c == 'x') {
            char16_t code = 0;
            int digits = 0;
            while (digits < 4 && i + 1 < in.size() && isHexDigit(in[i + 1])) {
                code = static_cast<char16_t>(code * 16 + std::stoi(std::string(1, static_cast<char>(in[++i])), nullptr, 16));
                ++digits;
            }
            out += digits > 0 ? code : c;
        } else if (isOctalDigit(c)) {
            char16_t code = c - '0';
            for (int digits = 1; digits < 3 && i + 1 < in.size() && isOctalDigit(in[i + 1]); ++digits)
                code = static_cast<char16_t>(code * 8 + (in[++i] - '0'));
            out += code;
        } else {
            switch (c) {
                case 'a': out += u'\a'; break;
                case 'b': out += u'\b'; break;
                case 't': out += u'\t'; break;
                case 'n': out += u'\n'; break;
                case 'v': out += u'\v'; break;
                case 'f': out += u'\f'; break;
                case 'r': out += u'\r'; break;
                case 'e': out += char16_t{27}; break;
                default: out += c;
            }
        }
    }
    return out;
}

// As Wine writes a string: `quoted` are the characters that need a backslash besides it (the
// quote in a value, the brackets in a key's heading).
std::string escape(const std::u16string& units, const char* quoted) {
    static const char kLetters[33] = ".......abtnvfr.............e....";
    std::string out;
    char code[16];
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        const bool last = i + 1 == units.size();
        if (unit > 127) {
            std::snprintf(code, sizeof code, !last && isHexDigit(units[i + 1]) ? "\\x%04x" : "\\x%x", unit);
            out += code;
        } else if (unit < 32) {
            if (kLetters[unit] != '.') std::snprintf(code, sizeof code, "\\%c", kLetters[unit]);
            else std::snprintf(code, sizeof code, !last && isOctalDigit(units[i + 1]) ? "\\%03o" : "\\%o", unit);
            out += code;
        } else {
            if (unit == '\\' || std::strchr(quoted, static_cast<char>(unit)) != nullptr) out += '\\';
            out += static_cast<char>(unit);
        }
    }
    return out;
}

std::string escapeUtf8(const std::string& text, const char* quoted) { return escape(toUtf16(text), quoted); }

// The position just past the closing quote of the quoted text starting at `open`.
std::size_t closingQuote(const std::string& line, std::size_t open) {
    for (std::size_t i = open + 1; i < line.size(); ++i) {
        if (line[i] == '\\') ++i;
        else if (line[i] == '"') return i + 1;
    }
    return std::string::npos;
}

struct ValueLine {
    std::string name;
    std::string data;
};

std::optional<ValueLine> splitValueLine(const std::string& line) {
    if (line.rfind("@=", 0) == 0) return ValueLine{"", line.substr(2)};
    if (line.empty() || line[0] != '"') return std::nullopt;
    const std::size_t end = closingQuote(line, 0);
    if (end == std::string::npos || end >= line.size() || line[end] != '=') return std::nullopt;
    return ValueLine{toUtf8(unescape(line.substr(1, end - 2))), line.substr(end + 1)};
}

// The UTF-16 units of a quoted string in `text` from `open`, with the terminating NUL the form
// implies.
std::string quotedData(const std::string& text, std::size_t open) {
    const std::size_t end = closingQuote(text, open);
    std::u16string units = unescape(text.substr(open + 1, end == std::string::npos ? std::string::npos : end - open - 2));
    units += u'\0';
    return littleEndian(units);
}

std::string hexData(const std::string& text) {
    std::string bytes;
    std::size_t i = 0;
    while (i < text.size()) {
        if (!std::isxdigit(static_cast<unsigned char>(text[i]))) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && std::isxdigit(static_cast<unsigned char>(text[end]))) ++end;
        bytes += static_cast<char>(std::stoul(text.substr(i, end - i), nullptr, 16));
        i = end;
    }
    return bytes;
}

std::string valueLine(const std::string& name, const RegValue& value) {
    return (name.empty() ? std::string("@") : "\"" + escapeUtf8(name, "\"") + "\"") + "=" + encodeRegValue(value);
}

std::string headingKey(const std::string& heading) {
    const std::size_t close = heading.rfind(']');
    return toUtf8(unescape(heading.substr(1, close == std::string::npos ? std::string::npos : close - 1)));
}

}  // namespace

std::uint32_t RegValue::typeNumber() const {
    switch (type) {
        case RegType::String: return kRegSz;
        case RegType::ExpandString: return kRegExpandSz;
        case RegType::MultiString: return kRegMultiSz;
        case RegType::Dword: return kRegDword;
        case RegType::Binary: return kRegBinary;
        case RegType::Other: break;
    }
    return otherType;
}

std::string RegValue::data() const {
    switch (type) {
        case RegType::String:
        case RegType::ExpandString: return littleEndian(terminated ? toUtf16(text) + u'\0' : toUtf16(text));
        case RegType::MultiString: {
            std::u16string units;
            for (const std::string& string : strings) units += toUtf16(string) + u'\0';
            return littleEndian(units + u'\0');
        }
        case RegType::Dword:
            return {static_cast<char>(dword & 0xFF), static_cast<char>(dword >> 8 & 0xFF),
                    static_cast<char>(dword >> 16 & 0xFF), static_cast<char>(dword >> 24 & 0xFF)};
        case RegType::Binary:
        case RegType::Other: break;
    }
    return bytes;
}

RegValue RegValue::fromData(std::uint32_t type, const std::string& data) {
    if ((type == kRegSz || type == kRegExpandSz) && data.size() % 2 == 0) {
        std::u16string units = fromLittleEndian(data);
        const bool terminated = !units.empty() && units.back() == u'\0';
        if (terminated) units.pop_back();
        RegValue value = type == kRegSz ? string(toUtf8(units)) : expandString(toUtf8(units));
        value.terminated = terminated;
        return value;
    }
    if (type == kRegMultiSz && data.size() % 2 == 0) {
        std::vector<std::string> strings;
        std::u16string current;
        for (char16_t unit : fromLittleEndian(data)) {
            if (unit != u'\0') {
                current += unit;
            } else if (current.empty()) {
                break;  // the empty string that closes the list
            } else {
                strings.push_back(toUtf8(current));
                current.clear();
            }
        }
        if (!current.empty()) strings.push_back(toUtf8(current));
        return multiString(std::move(strings));
    }
    if (type == kRegDword && data.size() == 4) {
        const auto byte = [&](int at) { return static_cast<std::uint32_t>(static_cast<unsigned char>(data[at])); };
        return number(byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24);
    }
    if (type == kRegBinary) return binary(data);
    return other(type, data);
}

std::string RegValue::describe() const {
    switch (type) {
        case RegType::String: return "REG_SZ \"" + text + "\"" + (terminated ? "" : " (no terminating NUL)");
        case RegType::ExpandString: return "REG_EXPAND_SZ \"" + text + "\"" + (terminated ? "" : " (no terminating NUL)");
        case RegType::MultiString: {
            std::string out = "REG_MULTI_SZ";
            for (const std::string& string : strings) out += " \"" + string + "\"";
            return out;
        }
        case RegType::Dword: return "REG_DWORD " + std::to_string(dword);
        case RegType::Binary: return "REG_BINARY " + encodeRegValue(*this).substr(4);
        case RegType::Other: break;
    }
    return "type " + std::to_string(otherType) + " " + encodeRegValue(*this);
}

std::ostream& operator<<(std::ostream& out, const RegValue& value) { return out << value.describe(); }

// Wine's own choice of form: a string type only when the data is whole UTF-16 ending in NUL, a
// dword only of four bytes, hex for everything else.
std::string encodeRegValue(const RegValue& value) {
    const std::uint32_t type = value.typeNumber();
    const std::string data = value.data();
    if ((type == kRegSz || type == kRegExpandSz || type == kRegMultiSz) && data.size() >= 2 && data.size() % 2 == 0 &&
        data[data.size() - 1] == 0 && data[data.size() - 2] == 0) {
        std::u16string units = fromLittleEndian(data);
        units.pop_back();
        char prefix[24] = "";
        if (type != kRegSz) std::snprintf(prefix, sizeof prefix, "str(%x):", type);
        return prefix + ("\"" + escape(units, "\"") + "\"");
    }
    if (type == kRegDword && data.size() == 4) {
        char text[16];
        std::snprintf(text, sizeof text, "dword:%08x", value.fromData(type, data).dword);
        return text;
    }
    char prefix[24];
    if (type == kRegBinary) std::snprintf(prefix, sizeof prefix, "hex:");
    else std::snprintf(prefix, sizeof prefix, "hex(%x):", type);
    std::string out = prefix;
    for (std::size_t i = 0; i < data.size(); ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, "%02x", static_cast<unsigned char>(data[i]));
        out += (i == 0 ? "" : ",") + std::string(byte);
    }
    return out;
}

RegValue decodeRegValue(const std::string& text) {
    if (!text.empty() && text[0] == '"') return RegValue::fromData(kRegSz, quotedData(text, 0));
    if (text.rfind("str(", 0) == 0) {
        const std::size_t close = text.find("):\"");
        if (close != std::string::npos)
            return RegValue::fromData(static_cast<std::uint32_t>(std::stoul(text.substr(4, close - 4), nullptr, 16)),
                                      quotedData(text, close + 2));
    }
    if (text.rfind("dword:", 0) == 0)
        return RegValue::number(static_cast<std::uint32_t>(std::stoul(text.substr(6), nullptr, 16)));
    if (text.rfind("hex:", 0) == 0) return RegValue::fromData(kRegBinary, hexData(text.substr(4)));
    if (text.rfind("hex(", 0) == 0) {
        const std::size_t close = text.find("):");
        if (close != std::string::npos)
            return RegValue::fromData(static_cast<std::uint32_t>(std::stoul(text.substr(4, close - 4), nullptr, 16)),
                                      hexData(text.substr(close + 2)));
    }
    return RegValue::other(0, text);
}

RegistryFile RegistryFile::load(const std::filesystem::path& file) {
    if (!std::filesystem::exists(file)) throw std::runtime_error("no registry file " + file.string());
    return parse(readText(file));
}

RegistryFile RegistryFile::parse(const std::string& text) {
    RegistryFile hive;
    std::istringstream in(text);
    std::string line;
    std::string pending;  // a hex value continued over several lines
    while (std::getline(in, line)) {
        if (!pending.empty()) {
            const auto first = line.find_first_not_of(' ');
            line = pending + (first == std::string::npos ? "" : line.substr(first));
            pending.clear();
        }
        if (!line.empty() && line.back() == '\\' && line.find("=hex") != std::string::npos) {
            pending = line.substr(0, line.size() - 1);
            continue;
        }
        if (!line.empty() && line[0] == '[') {
            hive.sections_.push_back({line, headingKey(line), {}});
        } else if (hive.sections_.empty()) {
            hive.preamble_.push_back(line);
        } else if (!line.empty()) {
            hive.sections_.back().lines.push_back(line);
        }
    }
    return hive;
}

std::string RegistryFile::text() const {
    std::string out;
    for (const std::string& line : preamble_) out += line + "\n";
    for (const Section& section : sections_) {
        out += section.heading + "\n";
        for (const std::string& line : section.lines) out += line + "\n";
        out += "\n";
    }
    return out;
}

void RegistryFile::save(const std::filesystem::path& file) const {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text();
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

const RegistryFile::Section* RegistryFile::find(const std::string& key) const {
    const std::string wanted = lowered(key);
    for (const Section& section : sections_)
        if (lowered(section.key) == wanted) return &section;
    return nullptr;
}

RegistryFile::Section& RegistryFile::findOrAdd(const std::string& key) {
    if (const Section* found = find(key)) return const_cast<Section&>(*found);
    // Wine creates the missing parent keys when it loads a deeper one.
    sections_.push_back({"[" + escapeUtf8(key, "[]") + "] 0", key, {}});
    return sections_.back();
}

// Wine writes a key of its own only when it has values or no subkeys; a key with subkeys alone
// shows only as the prefix of theirs.
bool RegistryFile::hasKey(const std::string& key) const {
    const std::string wanted = lowered(key);
    for (const Section& section : sections_) {
        const std::string name = lowered(section.key);
        if (name == wanted || name.starts_with(wanted + "\\")) return true;
    }
    return false;
}

std::optional<RegValue> RegistryFile::value(const std::string& key, const std::string& name) const {
    const Section* section = find(key);
    if (section == nullptr) return std::nullopt;
    const std::string wanted = lowered(name);
    for (const std::string& line : section->lines)
        if (const auto parsed = splitValueLine(line); parsed && lowered(parsed->name) == wanted)
            return decodeRegValue(parsed->data);
    return std::nullopt;
}

std::map<std::string, RegValue> RegistryFile::values(const std::string& key) const {
    std::map<std::string, RegValue> found;
    if (const Section* section = find(key))
        for (const std::string& line : section->lines)
            if (const auto parsed = splitValueLine(line)) found[parsed->name] = decodeRegValue(parsed->data);
    return found;
}

void RegistryFile::set(const std::string& key, const std::string& name, const RegValue& value) {
    Section& section = findOrAdd(key);
    const std::string wanted = lowered(name);
    for (std::string& line : section.lines) {
        if (const auto parsed = splitValueLine(line); parsed && lowered(parsed->name) == wanted) {
            line = valueLine(name, value);
            return;
        }
    }
    section.lines.push_back(valueLine(name, value));
}

void RegistryFile::removeKey(const std::string& key) {
    const std::string wanted = lowered(key);
    std::erase_if(sections_, [&](const Section& section) {
        const std::string name = lowered(section.key);
        return name == wanted || name.starts_with(wanted + "\\");
    });
}

}  // namespace engine
