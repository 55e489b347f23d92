// zelko paths: where this zelko keeps its settings and looks for its data,
// so a user (or a packager) can see which files the program will use.

#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "app/Vemoresource.h"
#include "cli/Commands.h"
#include "settings/Settings.h"

namespace cli {

namespace {

int RunPaths(Session& session) {
    session.Say("settings  " + settings::SettingsFilePath());
    const std::filesystem::path program = settings::ProgramFolder();
    session.Say("program   " + program.string());
    for (const std::filesystem::path& folder : TVemoResource::DataFolders()) {
        std::string found;
        for (const char* name : {"Bitmap", "pad", "lib", "default.vbf"}) {
            std::error_code ec;
            if (std::filesystem::exists(folder / name, ec)) found += std::string(found.empty() ? "" : " ") + name;
        }
        session.Say("data      " + folder.string() + (found.empty() ? "  (nothing there)" : "  (" + found + ")"));
    }
    return 0;
}

}  // namespace

void AddPaths(CLI::App& parent, Registry& registry) {
    CLI::App* paths = parent.add_subcommand(
        "paths", "Show the settings file and the data folders (Bitmap, pad, lib, default.vbf), first first");
    registry.Add(paths, [](Session& session) { return RunPaths(session); });
}

}  // namespace cli
