// check: the design rules a board must meet before it goes to a board house.
// One line per finding and a summary on stdout (or one JSON object); the exit
// code says whether anything was found.

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Vemoresource.h"
#include "check/Designcheck.h"
#include "cli/Commands.h"
#include "model/Vemodocument.h"

namespace cli {

namespace {

// Exit code of a check that found violations.
constexpr int kExitViolations = 3;

struct CheckArgs {
    std::string input;
    std::string rules;
    std::map<std::string, std::string> values;  // by rule name, as typed
    std::vector<std::string> layers;
    bool json = false;
};

std::string Mm(double v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.3f", v);
    return std::string(buffer) == "-0.000" ? "0.000" : buffer;
}

std::string Number(double v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.6g", v);
    return buffer;
}

// A rules file given by path, or a shipped preset by name ("home-etching").
std::string RulesPath(const std::string& given) {
    std::error_code ec;
    if (std::filesystem::exists(given, ec) || given.find('/') != std::string::npos) return given;
    const std::filesystem::path folder = TVemoResource::ContentFolder("rules");
    const std::filesystem::path preset = folder / (given + ".ini");
    if (!folder.empty() && std::filesystem::is_regular_file(preset, ec)) return preset.string();
    return given;
}

std::string Measure(const check::TViolation& v) {
    if (v.rule == "max-drill") return Mm(v.measured) + " mm, at most " + Mm(v.required) + " mm";
    if (v.rule == "silk-over-pad") return Mm(v.measured) + " mm of silk on the opening";
    return Mm(v.measured) + " mm, needs " + Mm(v.required) + " mm";
}

std::string Objects(const check::TViolation& v) {
    std::string out;
    for (const check::TObjectRef& r : v.objects) {
        out += out.empty() ? "" : "; ";
        out += r.kind + " " + r.path;
        if (!r.name.empty()) out += " \"" + r.name + "\"";
        if (!r.part.empty()) out += " in " + r.part;
    }
    return out;
}

std::string JsonReport(const std::string& file, const check::TCheckReport& report) {
    const check::TDesignRules& rules = report.rules;
    std::string out = "{\"file\":" + JsonString(file) + ",\"rules\":{";
    for (const check::TRuleField& field : check::RuleFields())
        out += JsonString(field.name) + ":" + Number(rules.*field.value) + ",";
    out +=
        std::string("\"silk-over-pad\":") + (rules.silkOverPad ? "true" : "false") + ",\"copper-layers\":[";
    for (std::size_t i = 0; i < report.copperLayers.size(); ++i)
        out += (i ? "," : "") + JsonString(report.copperLayers[i]);
    out += "]},\"objects\":" + std::to_string(report.objects) +
           ",\"conductors\":" + std::to_string(report.islands) +
           ",\"holes\":" + std::to_string(report.holes) + ",\"violations\":[";
    for (std::size_t i = 0; i < report.violations.size(); ++i) {
        const check::TViolation& v = report.violations[i];
        out += std::string(i ? "," : "") + "{\"rule\":" + JsonString(v.rule) +
               ",\"layer\":" + JsonString(v.layer) + ",\"x\":" + Mm(v.x) + ",\"y\":" + Mm(v.y) +
               ",\"measured\":" + Mm(v.measured) + ",\"required\":" + Mm(v.required) +
               ",\"note\":" + JsonString(v.note) + ",\"objects\":[";
        for (std::size_t k = 0; k < v.objects.size(); ++k) {
            const check::TObjectRef& r = v.objects[k];
            out += std::string(k ? "," : "") + "{\"path\":" + JsonString(r.path) +
                   ",\"kind\":" + JsonString(r.kind) + ",\"name\":" + JsonString(r.name) +
                   ",\"part\":" + JsonString(r.part) + "}";
        }
        out += "]}";
    }
    out += "],\"skipped\":[";
    for (std::size_t i = 0; i < report.skipped.size(); ++i) {
        const check::TSkipped& k = report.skipped[i];
        out += std::string(i ? "," : "") + "{\"path\":" + JsonString(k.object.path) +
               ",\"kind\":" + JsonString(k.object.kind) + ",\"layer\":" + JsonString(k.layer) +
               ",\"why\":" + JsonString(k.why) + "}";
    }
    out += "],\"idle\":[";
    for (std::size_t i = 0; i < report.idle.size(); ++i) out += (i ? "," : "") + JsonString(report.idle[i]);
    return out + "]}";
}

int RunCheck(Session& session, const CheckArgs& args) {
    check::TDesignRules rules;
    std::string error;
    if (!args.rules.empty() && !check::ReadRulesFile(RulesPath(args.rules), rules, error))
        return session.Usage(error);
    for (const auto& [name, word] : args.values) {
        double mm = 0.0;
        if (!ParseNumber(word, mm)) {
            std::string problem = "--";
            problem.append(name).append(": \"").append(word).append("\" is not a number");
            return session.Usage(problem);
        }
        if (std::string problem = check::RuleValueProblem(name, mm); !problem.empty())
            return session.Usage("--" + problem);
        for (const check::TRuleField& field : check::RuleFields())
            if (name == field.name) rules.*field.value = mm;
    }
    if (std::string problem = check::RulesProblem(rules); !problem.empty()) return session.Usage(problem);
    for (const std::string& name : LayerNames(args.layers))
        if (std::find(rules.extraCopper.begin(), rules.extraCopper.end(), name) == rules.extraCopper.end())
            rules.extraCopper.push_back(name);

    const auto doc = ReadBoard(session, args.input);
    if (!doc) return kExitFailed;
    if (!rules.extraCopper.empty() && !CheckLayers(*doc, rules.extraCopper, error))
        return session.Fail(error);

    check::TCheckControl control;
    control.progress = [&](double done, const std::string& step) {
        session.Progress(std::to_string(int(done * 100)) + " %, " + step);
    };
    const check::TCheckReport report = check::CheckDesign(*doc, rules, control);
    session.EndProgress();
    if (!report.completed)
        return session.Fail(report.error.empty() ? "the check did not finish" : report.error);
    session.Timing("checked the board");

    if (args.json) {
        std::printf("%s\n", JsonReport(args.input, report).c_str());
    } else {
        std::string copper;
        for (const std::string& name : report.copperLayers) copper += (copper.empty() ? "" : ", ") + name;
        std::printf("%s: copper layers %s; %d copper objects, %d conductors, %d holes\n", args.input.c_str(),
                    copper.empty() ? "(none)" : copper.c_str(), report.objects, report.islands, report.holes);
        for (const check::TViolation& v : report.violations) {
            const std::string objects = Objects(v);
            std::printf("%s %s at (%s, %s) mm: %s; %s%s%s\n", v.rule.c_str(), v.layer.c_str(),
                        Mm(v.x).c_str(), Mm(v.y).c_str(), Measure(v).c_str(), v.note.c_str(),
                        objects.empty() ? "" : ": ", objects.c_str());
        }
        for (const std::string& idle : report.idle) std::printf("nothing to check: %s\n", idle.c_str());
        for (const check::TSkipped& k : report.skipped)
            std::printf("not checked: %s %s on %s: %s\n", k.object.kind.c_str(), k.object.path.c_str(),
                        k.layer.c_str(), k.why.c_str());
        std::map<std::string, int> perRule;
        for (const check::TViolation& v : report.violations) ++perRule[v.rule];
        std::string summary;
        for (const auto& [rule, n] : perRule)
            summary += (summary.empty() ? "" : ", ") + rule + " " + std::to_string(n);
        if (report.violations.empty())
            std::printf("no violations\n");
        else
            std::printf("%zu violation%s (%s)\n", report.violations.size(),
                        report.violations.size() == 1 ? "" : "s", summary.c_str());
    }
    std::fflush(stdout);
    return report.violations.empty() ? 0 : kExitViolations;
}

}  // namespace

void AddCheck(CLI::App& parent, Registry& registry) {
    auto args = std::make_shared<CheckArgs>();
    CLI::App* command = parent.add_subcommand(
        "check",
        "Check a board against design rules: copper clearance and widths, rings around holes, drill "
        "sizes, copper near the board edge, silk screen on mask openings");
    command->add_option("FILE", args->input, "the document (.vbf)")
        ->required()
        ->type_name("")
        ->check(kInputFile);
    command
        ->add_option("--rules", args->rules,
                     "a rules file (.ini), or a shipped preset by name: home-etching, board-house-standard")
        ->type_name("FILE");
    const check::TDesignRules defaults;
    for (const check::TRuleField& field : check::RuleFields()) {
        const std::string name = field.name;
        char text[160];
        std::snprintf(text, sizeof text, "in mm, below %g (default %g)", check::kMaxRuleMm,
                      defaults.*field.value);
        command
            ->add_option_function<std::string>(
                "--" + name, [args, name](const std::string& word) { args->values[name] = word; }, text)
            ->type_name("MM");
    }
    command
        ->add_option("--layers", args->layers,
                     "more layers that carry copper, besides solder and component (comma list)")
        ->type_name("L,...");
    command->add_flag("--json", args->json, "print one JSON object for scripts");
    command->footer(
        "Exit code: 0 no violations, 3 violations found, 1 the check could not run, 2 a wrong command line.\n"
        "Positions are millimetres from the bottom-left corner of the design area, as in the Gerber "
        "files.\n");
    registry.Add(command, [args](Session& session) { return RunCheck(session, *args); });
}

}  // namespace cli
