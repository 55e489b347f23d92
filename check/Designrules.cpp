#include "check/Designrules.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace check {

namespace {

std::string Trim(const std::string& s) {
    const std::size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return {};
    const std::size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

std::string Mm(double v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", v);
    return buffer;
}

}  // namespace

const std::vector<TRuleField>& RuleFields() {
    static const std::vector<TRuleField> fields = {
        {"clearance", &TDesignRules::clearance},    {"min-width", &TDesignRules::minWidth},
        {"min-annular", &TDesignRules::minAnnular}, {"min-drill", &TDesignRules::minDrill},
        {"max-drill", &TDesignRules::maxDrill},     {"edge-clearance", &TDesignRules::edgeClearance},
    };
    return fields;
}

std::string RuleValueProblem(const std::string& name, double mm) {
    if (!std::isfinite(mm)) return name + " must be a number of millimetres";
    if (mm < 0.0) return name + " of " + Mm(mm) + " mm is negative";
    if (mm >= kMaxRuleMm) return name + " of " + Mm(mm) + " mm is not below " + Mm(kMaxRuleMm) + " mm";
    return {};
}

std::string RulesProblem(const TDesignRules& rules) {
    for (const TRuleField& field : RuleFields())
        if (std::string problem = RuleValueProblem(field.name, rules.*field.value); !problem.empty())
            return problem;
    if (rules.minDrill > rules.maxDrill)
        return "min-drill of " + Mm(rules.minDrill) + " mm is above max-drill of " + Mm(rules.maxDrill) +
               " mm";
    return {};
}

bool ParseRules(const std::string& text, TDesignRules& rules, std::string& error) {
    TDesignRules read = rules;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    bool inRules = true;  // lines before any section count as rules
    while (std::getline(in, line)) {
        ++number;
        const std::string where = "line " + std::to_string(number) + ": ";
        std::string s = Trim(line.substr(0, line.find_first_of("#;")));
        if (s.empty()) continue;
        if (s.front() == '[') {
            inRules = s == "[rules]";
            continue;
        }
        if (!inRules) continue;
        const std::size_t eq = s.find('=');
        if (eq == std::string::npos) {
            error = where + "expected name = value";
            return false;
        }
        const std::string name = Trim(s.substr(0, eq)), value = Trim(s.substr(eq + 1));
        if (name == "silk-over-pad") {
            if (value == "yes" || value == "on" || value == "true" || value == "1") {
                read.silkOverPad = true;
            } else if (value == "no" || value == "off" || value == "false" || value == "0") {
                read.silkOverPad = false;
            } else {
                error = where;
                error.append("silk-over-pad is yes or no, not \"").append(value).append("\"");
                return false;
            }
            continue;
        }
        if (name == "copper-layers") {
            read.extraCopper.clear();
            std::string item;
            std::istringstream list(value);
            while (std::getline(list, item, ','))
                if (!Trim(item).empty()) read.extraCopper.push_back(Trim(item));
            continue;
        }
        bool known = false;
        for (const TRuleField& field : RuleFields()) {
            if (name != field.name) continue;
            known = true;
            double mm = 0.0;
            const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), mm);
            if (ec != std::errc() || end != value.data() + value.size()) {
                error = where;
                error.append(name)
                    .append(" must be a number of millimetres, not \"")
                    .append(value)
                    .append("\"");
                return false;
            }
            if (std::string problem = RuleValueProblem(name, mm); !problem.empty()) {
                error = where + problem;
                return false;
            }
            read.*field.value = mm;
        }
        if (!known) {
            error = where;
            error.append("unknown rule \"").append(name).append("\"");
            return false;
        }
    }
    if (std::string problem = RulesProblem(read); !problem.empty()) {
        error = problem;
        return false;
    }
    rules = read;
    return true;
}

bool ReadRulesFile(const std::string& path, TDesignRules& rules, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (text.str().size() > (1u << 20)) {
        error = path + " is too big for a rules file";
        return false;
    }
    if (!ParseRules(text.str(), rules, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

std::string RulesText(const TDesignRules& rules) {
    std::string text = "[rules]\n";
    for (const TRuleField& field : RuleFields())
        text += std::string(field.name) + " = " + Mm(rules.*field.value) + "\n";
    text += std::string("silk-over-pad = ") + (rules.silkOverPad ? "yes" : "no") + "\n";
    if (!rules.extraCopper.empty()) {
        text += "copper-layers = ";
        for (std::size_t i = 0; i < rules.extraCopper.size(); ++i)
            text += (i ? ", " : "") + rules.extraCopper[i];
        text += "\n";
    }
    return text;
}

}  // namespace check
