// zelko paths: where this zelko keeps its settings and looks for its data,
// so a user (or a packager) can see which files the program will use.

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "app/Vemoresource.h"
#include "cli/Commands.h"
#include "settings/Settings.h"

namespace cli {

namespace {

// The documents (.vbf) in folder, and in its folders too when deep (hidden
// folders skipped, as the library window skips them).
int CountDocuments(const std::filesystem::path& folder, bool deep) {
    int count = 0;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code kind;
        if (it->is_directory(kind)) {
            if (deep && !it->path().filename().string().starts_with('.'))
                count += CountDocuments(it->path(), true);
        } else if (it->path().extension() == ".vbf") {
            ++count;
        }
    }
    return count;
}

// Where the editor reads one kind of content from, and how much is there.
void SayContent(Session& session, const char* label, const char* folder, bool deep, const char* noun) {
    const std::filesystem::path found = TVemoResource::ContentFolder(folder);
    if (found.empty()) {
        session.Say(std::string(label) + "none: no data folder has " + folder + "/");
        return;
    }
    const int n = CountDocuments(found, deep);
    session.Say(std::string(label) + found.string() + "  (" + std::to_string(n) + " " + noun +
                (n == 1 ? "" : "s") + ")");
}

int RunPaths(Session& session) {
    session.Say("settings  " + settings::SettingsFilePath());
    const std::filesystem::path program = settings::ProgramFolder();
    session.Say("program   " + program.string());
    for (const std::filesystem::path& folder : TVemoResource::DataFolders()) {
        std::string found;
        for (const char* name : {"Bitmap", "pad", "lib", "default.vbf"}) {
            std::error_code ec;
            if (std::filesystem::exists(folder / name, ec))
                found += std::string(found.empty() ? "" : " ") + name;
        }
        session.Say("data      " + folder.string() +
                    (found.empty() ? "  (nothing there)" : "  (" + found + ")"));
    }
    // The first data folder that has them wins; the editor reads these.
    SayContent(session, "pads      ", "pad", false, "pad");
    SayContent(session, "parts     ", "lib", true, "part");
    // Design-rule presets for zelko check --rules NAME.
    const std::filesystem::path rules = TVemoResource::ContentFolder("rules");
    std::vector<std::string> presets;
    std::error_code ec;
    if (!rules.empty())
        for (std::filesystem::directory_iterator it(rules, ec), end; !ec && it != end; it.increment(ec))
            if (it->path().extension() == ".ini") presets.push_back(it->path().stem().string());
    std::sort(presets.begin(), presets.end());
    std::string list;
    for (const std::string& name : presets) list += (list.empty() ? "" : ", ") + name;
    if (rules.empty())
        session.Say("rules     none: no data folder has rules/");
    else
        session.Say("rules     " + rules.string() + "  (presets: " + (list.empty() ? "none" : list) + ")");
    return 0;
}

}  // namespace

void AddPaths(CLI::App& parent, Registry& registry) {
    CLI::App* paths =
        parent.add_subcommand("paths",
                              "Show the settings file, the data folders (Bitmap, pad, lib, default.vbf) "
                              "first first, and where pads and parts are read from");
    registry.Add(paths, [](Session& session) { return RunPaths(session); });
}

}  // namespace cli
