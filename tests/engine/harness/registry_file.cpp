#include "registry_file.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
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

RegValue RegValue::number(std::uint32_t number) {
    RegValue value;
    value.type = RegType::Dword;
    value.dword = number;
    return value;
}

std::string RegValue::describe() const {
    switch (type) {
        case RegType::String: return "REG_SZ \"" + text + "\"";
        case RegType::ExpandString: return "REG_EXPAND_SZ \"" + text + "\"";
        case RegType::Dword: return "REG_DWORD " + std::to_string(dword);
        case RegType::Other: break;
    }
    return raw;
}

namespace {

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

void appendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Wine writes characters outside printable ASCII as \x followed by up to four hex digits, and
// the usual C escapes for the rest.
std::string unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        switch (c) {
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case '0': out += '\0'; break;
            case 'x': {
                unsigned code = 0;
                int digits = 0;
                while (digits < 4 && i + 1 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1]))) {
                    code = code * 16 + std::stoul(std::string(1, text[++i]), nullptr, 16);
                    ++digits;
                }
                appendUtf8(out, code);
                break;
            }
            default: out += c;
        }
    }
    return out;
}

// Decodes one UTF-8 sequence at text[i], advancing i past it; malformed bytes pass as Latin-1.
unsigned nextCodePoint(const std::string& text, std::size_t& i) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned lead = byte(i);
    const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (extra == 0 || i + extra >= text.size()) {
        ++i;
        return lead;
    }
    unsigned code = lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) code = (code << 6) | (byte(i + k) & 0x3F);
    i += extra + 1;
    return code;
}

std::string escape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
            ++i;
        } else if (c == '\n') {
            out += "\\n";
            ++i;
        } else if (static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7F) {
            out += c;
            ++i;
        } else {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%04x", nextCodePoint(text, i) & 0xFFFF);
            out += code;
        }
    }
    return out;
}

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
    return ValueLine{unescape(line.substr(1, end - 2)), line.substr(end + 1)};
}

std::string quotedBody(const std::string& data, std::size_t open) {
    const std::size_t end = closingQuote(data, open);
    return unescape(data.substr(open + 1, end == std::string::npos ? std::string::npos : end - open - 2));
}

RegValue decode(const std::string& data) {
    RegValue value;
    value.raw = data;
    if (!data.empty() && data[0] == '"') {
        value.type = RegType::String;
        value.text = quotedBody(data, 0);
    } else if (data.rfind("str(2):\"", 0) == 0) {
        value.type = RegType::ExpandString;
        value.text = quotedBody(data, 7);
    } else if (data.rfind("dword:", 0) == 0) {
        value.type = RegType::Dword;
        value.dword = static_cast<std::uint32_t>(std::stoul(data.substr(6), nullptr, 16));
    } else {
        value.type = RegType::Other;
    }
    return value;
}

std::string encode(const RegValue& value) {
    switch (value.type) {
        case RegType::String: return "\"" + escape(value.text) + "\"";
        case RegType::ExpandString: return "str(2):\"" + escape(value.text) + "\"";
        case RegType::Dword: {
            char text[16];
            std::snprintf(text, sizeof text, "dword:%08x", value.dword);
            return text;
        }
        case RegType::Other: break;
    }
    return value.raw;
}

std::string valueLine(const std::string& name, const RegValue& value) {
    return (name.empty() ? std::string("@") : "\"" + escape(name) + "\"") + "=" + encode(value);
}

std::string headingKey(const std::string& heading) {
    const std::size_t close = heading.rfind(']');
    return unescape(heading.substr(1, close == std::string::npos ? std::string::npos : close - 1));
}

}  // namespace

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
    sections_.push_back({"[" + escape(key) + "] 0", key, {}});
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
            return decode(parsed->data);
    return std::nullopt;
}

std::map<std::string, RegValue> RegistryFile::values(const std::string& key) const {
    std::map<std::string, RegValue> found;
    if (const Section* section = find(key))
        for (const std::string& line : section->lines)
            if (const auto parsed = splitValueLine(line)) found[parsed->name] = decode(parsed->data);
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

}  // namespace engine
