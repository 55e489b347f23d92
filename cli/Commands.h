// Subcommands of the zelko front end and what they share: how they report,
// how they read numbers, files and layer lists. Each Add* function registers a
// subcommand (with its own --help) under parent and the work to run when the
// command line chose it.
#pragma once

#include <CLI/CLI.hpp>

#include <chrono>
#include <charconv>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class TVemoDocument;
enum class TLayerRole;

namespace cli {

// Exit codes: 0 done, 1 the work failed, 2 the command line was wrong.
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// What one run says, and where: results on stdout, progress, warnings,
// timings and failures on stderr.
class Session {
public:
    bool quiet = false;    // no progress and no summary of what was written
    bool verbose = false;  // timings of each step
    std::string command;   // "zelko export gerber", for messages

    // Progress shows only on a terminal and without --quiet; one line, rewritten.
    bool ShowsProgress() const;
    void Progress(const std::string& text);
    void EndProgress();
    // With --verbose: how long the step since the last mark took.
    void Timing(const std::string& step);

    void Say(const std::string& line) const;  // stdout, unless quiet
    void Warn(const std::string& text);
    int Fail(const std::string& reason);    // exit 1
    int Usage(const std::string& problem);  // exit 2, one line, points at --help
    void Wrote(const std::string& path, std::uint64_t bytes) const;

private:
    bool progressShown_ = false;
    std::chrono::steady_clock::time_point mark_ = std::chrono::steady_clock::now();
};

using Run = std::function<int(Session&)>;

// Subcommands chosen by a parse, with their work.
struct Registry {
    std::vector<std::pair<CLI::App*, Run>> commands;
    void Add(CLI::App* app, Run run) { commands.emplace_back(app, std::move(run)); }
};

void AddInfo(CLI::App& parent, Registry& registry);
void AddConvert(CLI::App& parent, Registry& registry);
void AddGenerateBoard(CLI::App& parent, Registry& registry);
void AddExportGerber(CLI::App& exportCommand, Registry& registry);
void AddExportBitmap(CLI::App& exportCommand, Registry& registry);
void AddExportImage(CLI::App& exportCommand, Registry& registry);
void AddExportDrill(CLI::App& exportCommand, Registry& registry);
void AddExportFab(CLI::App& exportCommand, Registry& registry);
void AddImportVem(CLI::App& importCommand, Registry& registry);
void AddImportGerber(CLI::App& importCommand, Registry& registry);
void AddGraph(CLI::App& parent, Registry& registry);
void AddPaths(CLI::App& parent, Registry& registry);
void AddCheck(CLI::App& parent, Registry& registry);

// The whole word as a number, read the same whatever the locale; false for
// anything else.
template <typename T>
bool ParseNumber(const std::string& word, T& value) {
    const char* end = word.data() + word.size();
    const auto [ptr, ec] = std::from_chars(word.data(), end, value);
    return ec == std::errc() && ptr == end;
}

// A finite number from low to high; the message names the unit.
CLI::Validator NumberIn(double low, double high, const std::string& unit);
// An input file: "no such file" when it is not there, a folder refused.
extern const CLI::Validator kInputFile;
// A file or folder to write: standard output ("-") refused, since the
// outputs are binary files or sets of files.
extern const CLI::Validator kOutputPath;

// Names of a --layers option given any number of times: each a comma list,
// spaces around names trimmed, empty names skipped, the first of repeats kept.
std::vector<std::string> LayerNames(const std::vector<std::string>& options);
// Checks every name against the document. False with a message that lists the
// document's layers (and the likely one, when only the letter case differs).
bool CheckLayers(const TVemoDocument& document, const std::vector<std::string>& names, std::string& error);

// The --role LAYER=ROLE option of the fab outputs, and its reading: empty, with
// roles filled, or the usage problem.
void AddRoleOption(CLI::App& command, std::vector<std::string>& pairs, const std::string& prefix);
std::string ParseRoles(const std::vector<std::string>& pairs, std::map<std::string, TLayerRole>& roles);
// Every layer a role is given to must be the document's; false with the message.
bool CheckRoleLayers(const TVemoDocument& document, const std::map<std::string, TLayerRole>& roles,
                     std::string& error);

// text as a JSON string, quoted, with quotes, backslashes and control characters escaped.
std::string JsonString(const std::string& text);

// The document at path, read with the reason printed on failure; "reading"
// progress and timing as the session wants.
std::unique_ptr<TVemoDocument> ReadBoard(Session& session, const std::string& path);
// The document a command adds to: a new one when path is empty.
std::unique_ptr<TVemoDocument> BaseDocument(Session& session, const std::string& path);
// Writes a document safely, reports it; false after printing the reason.
bool WriteBoard(Session& session, const TVemoDocument& document, const std::string& path);

// "zelko FILE.vbf" and "zelko" alone: the editor window. With a screenshot
// path, "zelko --screenshot OUT.png [FILE.vbf]": the window photographs itself and closes.
int OpenEditor(int argc, char** argv, const std::string& file, const std::string& screenshot = {});

}  // namespace cli
