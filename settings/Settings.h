#pragma once
// The program's settings files as whole files: every read opens the file
// afresh and every write rewrites it whole (temporary file, then rename), so
// nothing is cached between uses and writers that follow each other never lose
// each other's keys. A missing or unreadable file reads as defaults; the first
// write creates it (and its folder).

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/Inifile.h"

namespace settings {

// The folder of the running executable; empty when it cannot be found.
std::filesystem::path ProgramFolder();
// The data folder of an installed program (bin/zelko beside share/zelko/);
// empty when the program does not run from an installed layout.
std::filesystem::path InstalledDataFolder(const std::filesystem::path& programFolder);

// Where a settings file named fileName lives: beside the executable when that
// folder is writable and the program is not an installed one, else in
// $XDG_CONFIG_HOME/zelko/ (an absolute $XDG_CONFIG_HOME only), else in
// $HOME/.config/zelko/. An installed program never writes into its bin
// folder, even when it could (root, or a prefix the user owns).
std::string ProgramSettingsPath(std::string_view fileName);
// The same rule with its inputs given (null for an unset variable).
std::string ProgramSettingsPath(std::string_view fileName, const std::filesystem::path& programFolder,
                                const char* xdgConfigHome, const char* home);
// The path of zelko.ini.
std::string SettingsFilePath();

// The whole file; empty (all defaults) when it is missing or cannot be read.
TIniFile ReadSettingsFile(const std::string& path);
// Replaces the file by ini's text at once, creating its folder when needed.
bool WriteSettingsFile(const std::string& path, const TIniFile& ini, std::string& error);
// Reads the file afresh, lets edit change it and writes it back whole. A file
// that exists but cannot be read is left alone (false): rewriting it from
// nothing would lose every key it holds.
bool UpdateSettingsFile(const std::string& path, const std::function<void(TIniFile&)>& edit,
                        std::string& error);

// A numbered list "<prefix>0", "<prefix>1", ... read from index 0 upwards; it
// ends at the first index whose value is missing, not a number or negative.
std::vector<double> ReadNumberList(const TIniFile& ini, std::string_view section, std::string_view prefix);

// Where a remembered window stood; the defaults are those of a window never
// placed before.
struct TFormPlacement {
    int left = 100;
    int top = 100;
    int width = 240;
    int height = 320;
    int windowState = 0;  // 0 normal, 1 minimised, 2 maximised
};
TFormPlacement ReadFormPlacement(const TIniFile& ini, std::string_view section);
// Writes Top, Left and WindowState, and Width and Height only for a window in
// the normal state, so a maximised window keeps its last normal size on file.
void WriteFormPlacement(TIniFile& ini, std::string_view section, const TFormPlacement& placement);

}  // namespace settings
