#pragma once
// A sectioned key=value text file held in memory: what zelko.ini and
// graph_tool.ini are made of. Section and key names match without regard to
// ASCII case, as hand-edited files spell them freely. Lines that are neither a
// section header nor a key=value pair (comments, blank lines) are kept as they
// are, so a rewrite changes only the keys that were written.
//
// Numbers are decimal text. A value that is missing, empty or not a number of
// the asked kind reads as the caller's default; so does a number that is not
// finite.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace settings {

class TIniFile {
public:
    TIniFile() = default;

    // Never fails: whatever the text holds is taken line by line.
    static TIniFile Parse(std::string_view text);
    // The whole file as text, one "key=value" per line, sections in order.
    std::string Text() const;

    bool HasSection(std::string_view section) const;
    // The value of the first key of that name, trimmed of surrounding blanks.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;

    std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
    int ReadInteger(std::string_view section, std::string_view key, int def) const;
    double ReadFloat(std::string_view section, std::string_view key, double def) const;

    // Replaces the key's value, or appends the key to its section (appending the
    // section when needed). Line breaks in names and values become blanks, so a
    // value can never add a line of its own.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);
    // The shortest decimal text that reads back as the same double.
    void WriteFloat(std::string_view section, std::string_view key, double value);

    void EraseSection(std::string_view section);
    void DeleteKey(std::string_view section, std::string_view key);

    std::vector<std::string> SectionNames() const;
    std::vector<std::string> KeyNames(std::string_view section) const;

private:
    struct Line {
        std::string key;  // empty for a line kept as it is
        std::string value;
        std::string raw;  // the text of a kept line
    };
    struct Section {
        std::string name;  // empty only for lines before the first header
        std::vector<Line> lines;
    };

    const Section* FindSection(std::string_view name) const;
    Section* FindSection(std::string_view name);
    Section& SectionFor(std::string_view name);

    std::vector<Section> sections_;
};

// Decimal text of a number, as the settings files hold it: the shortest that
// reads back as the same value (a float as a float, so 0.3f is "0.3").
std::string FormatFloat(double value);
std::string FormatFloat(float value);
// A whole decimal number (blanks around it allowed); none when the text holds
// anything else, or the value is not finite.
std::optional<double> ParseFloat(std::string_view text);
std::optional<int> ParseInteger(std::string_view text);

}  // namespace settings
