#pragma once
// The rules a board is checked against before it goes to a board house, in
// millimetres, and their text form (an ini file: the presets shipped beside the
// program, a user's own file, the editor's settings).

#include <string>
#include <vector>

namespace check {

struct TDesignRules {
    double clearance = 0.2;    // between copper that does not touch, on one layer
    double minWidth = 0.15;    // of a stroked path or outline on copper
    double minAnnular = 0.15;  // copper ring around a hole
    double minDrill = 0.3;     // hole diameter
    double maxDrill = 6.35;
    double edgeClearance = 0.3;  // copper to the board outline
    bool silkOverPad = true;     // silk-screen marks on a mask opening
    // Layers that carry copper besides the standard "solder" and "component".
    std::vector<std::string> extraCopper;
};

// One rule value: its name in files and on the command line, and where it is kept.
struct TRuleField {
    const char* name;
    double TDesignRules::*value;
};
// clearance, min-width, min-annular, min-drill, max-drill, edge-clearance.
const std::vector<TRuleField>& RuleFields();

// Rule values beyond this are slips, not rules: no board needs them.
inline constexpr double kMaxRuleMm = 100.0;
// Empty when every value is a finite number from 0 to below kMaxRuleMm and
// min-drill is not above max-drill; else what is wrong, naming the rule.
std::string RulesProblem(const TDesignRules& rules);
// The same for one value.
std::string RuleValueProblem(const std::string& name, double mm);

// Reads "name = value" lines (a [rules] section or none; '#' and ';' start
// comments) over rules: the names given replace those values, the others stay.
// "silk-over-pad = no" turns that check off; "copper-layers = a, b" names
// extra copper layers. False with the line and the reason for an unknown name,
// a value that is not a number or one RulesProblem refuses.
bool ParseRules(const std::string& text, TDesignRules& rules, std::string& error);
bool ReadRulesFile(const std::string& path, TDesignRules& rules, std::string& error);
// The rules as ParseRules reads them back.
std::string RulesText(const TDesignRules& rules);

}  // namespace check
