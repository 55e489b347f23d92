#include "settings/Inifile.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace settings {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

// Trims text and takes off one leading '+', which the number readers below do
// not know; false when nothing is left or a second sign follows.
bool StripPlus(std::string_view& text) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '+' || text.front() == '-')) return false;
    }
    return !text.empty();
}

// A line break inside a name or value would start a line of its own.
std::string OneLine(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c == '\n' || c == '\r') c = ' ';
    return out;
}

}  // namespace

std::string FormatFloat(double value) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

std::string FormatFloat(float value) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

std::optional<double> ParseFloat(std::string_view text) {
    if (!StripPlus(text)) return std::nullopt;
    double value = 0.0;
    const auto res =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> ParseInteger(std::string_view text) {
    if (!StripPlus(text)) return std::nullopt;
    int value = 0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    if (text.empty() || res.ec != std::errc() || res.ptr != text.data() + text.size()) return std::nullopt;
    return value;
}

TIniFile TIniFile::Parse(std::string_view text) {
    TIniFile file;
    Section* current = nullptr;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        const std::string_view body = Trim(line);
        if (body.size() >= 2 && body.front() == '[' && body.back() == ']') {
            file.sections_.push_back(Section{std::string(Trim(body.substr(1, body.size() - 2))), {}});
            current = &file.sections_.back();
            continue;
        }
        if (current == nullptr) {
            file.sections_.push_back(Section{});
            current = &file.sections_.back();
        }
        const std::size_t eq = body.find('=');
        const bool comment = !body.empty() && (body.front() == ';' || body.front() == '#');
        if (eq == std::string_view::npos || eq == 0 || comment) {
            current->lines.push_back(Line{{}, {}, std::string(line)});
        } else {
            current->lines.push_back(
                Line{std::string(Trim(body.substr(0, eq))), std::string(Trim(body.substr(eq + 1))), {}});
        }
    }
    return file;
}

std::string TIniFile::Text() const {
    std::string out;
    for (const Section& section : sections_) {
        if (!section.name.empty()) out += "[" + section.name + "]\n";
        for (const Line& line : section.lines) {
            if (line.key.empty())
                out += line.raw;
            else
                out += line.key + "=" + line.value;
            out += '\n';
        }
    }
    return out;
}

const TIniFile::Section* TIniFile::FindSection(std::string_view name) const {
    for (const Section& section : sections_)
        if (!section.name.empty() && SameName(section.name, name)) return &section;
    return nullptr;
}

TIniFile::Section* TIniFile::FindSection(std::string_view name) {
    return const_cast<Section*>(static_cast<const TIniFile*>(this)->FindSection(name));
}

TIniFile::Section& TIniFile::SectionFor(std::string_view name) {
    if (Section* found = FindSection(name)) return *found;
    sections_.push_back(Section{OneLine(name), {}});
    return sections_.back();
}

bool TIniFile::HasSection(std::string_view section) const {
    return FindSection(section) != nullptr;
}

std::optional<std::string> TIniFile::Find(std::string_view section, std::string_view key) const {
    if (const Section* s = FindSection(section))
        for (const Line& line : s->lines)
            if (!line.key.empty() && SameName(line.key, key)) return line.value;
    return std::nullopt;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
    std::optional<std::string> value = Find(section, key);
    return value ? *value : std::string(def);
}

int TIniFile::ReadInteger(std::string_view section, std::string_view key, int def) const {
    const std::optional<std::string> text = Find(section, key);
    const std::optional<int> value = text ? ParseInteger(*text) : std::nullopt;
    return value.value_or(def);
}

double TIniFile::ReadFloat(std::string_view section, std::string_view key, double def) const {
    const std::optional<std::string> text = Find(section, key);
    const std::optional<double> value = text ? ParseFloat(*text) : std::nullopt;
    return value.value_or(def);
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    const std::string name = OneLine(Trim(key));
    if (name.empty()) return;
    Section& s = SectionFor(section);
    for (Line& line : s.lines) {
        if (!line.key.empty() && SameName(line.key, name)) {
            line.value = OneLine(value);
            return;
        }
    }
    s.lines.push_back(Line{name, OneLine(value), {}});
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteFloat(std::string_view section, std::string_view key, double value) {
    WriteString(section, key, FormatFloat(value));
}

void TIniFile::EraseSection(std::string_view section) {
    std::erase_if(sections_, [&](const Section& s) { return !s.name.empty() && SameName(s.name, section); });
}

void TIniFile::DeleteKey(std::string_view section, std::string_view key) {
    if (Section* s = FindSection(section))
        std::erase_if(s->lines,
                      [&](const Line& line) { return !line.key.empty() && SameName(line.key, key); });
}

std::vector<std::string> TIniFile::SectionNames() const {
    std::vector<std::string> names;
    for (const Section& section : sections_)
        if (!section.name.empty()) names.push_back(section.name);
    return names;
}

std::vector<std::string> TIniFile::KeyNames(std::string_view section) const {
    std::vector<std::string> names;
    if (const Section* s = FindSection(section))
        for (const Line& line : s->lines)
            if (!line.key.empty()) names.push_back(line.key);
    return names;
}

}  // namespace settings
