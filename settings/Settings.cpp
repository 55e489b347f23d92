#include "settings/Settings.h"

#include <unistd.h>

#include <cstdlib>
#include <system_error>

#include "archive/Safefile.h"

namespace settings {

namespace fs = std::filesystem;

namespace {

// Settings files are small; anything larger is not one of ours.
constexpr std::size_t kMaxSettingsBytes = std::size_t(16) << 20;

bool IsWritableFolder(const fs::path& folder) {
    std::error_code ec;
    return !folder.empty() && fs::is_directory(folder, ec) && ::access(folder.c_str(), W_OK) == 0;
}

}  // namespace

fs::path ProgramFolder() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : exe.parent_path();
}

fs::path InstalledDataFolder(const fs::path& programFolder) {
    if (programFolder.empty() || programFolder.filename() != "bin") return {};
    const fs::path data = programFolder.parent_path() / "share" / "zelko";
    std::error_code ec;
    return fs::is_directory(data, ec) ? data : fs::path();
}

std::string ProgramSettingsPath(std::string_view fileName, const fs::path& programFolder,
                                const char* xdgConfigHome, const char* home) {
    const fs::path name{std::string(fileName)};
    if (IsWritableFolder(programFolder) && InstalledDataFolder(programFolder).empty())
        return (programFolder / name).string();
    if (xdgConfigHome != nullptr && fs::path(xdgConfigHome).is_absolute())
        return (fs::path(xdgConfigHome) / "zelko" / name).string();
    if (home != nullptr && *home != '\0') return (fs::path(home) / ".config" / "zelko" / name).string();
    // Nowhere better to go: beside the program, where a write will fail and say so.
    return (programFolder / name).string();
}

std::string ProgramSettingsPath(std::string_view fileName) {
    return ProgramSettingsPath(fileName, ProgramFolder(), std::getenv("XDG_CONFIG_HOME"),
                               std::getenv("HOME"));
}

std::string SettingsFilePath() {
    return ProgramSettingsPath("zelko.ini");
}

TIniFile ReadSettingsFile(const std::string& path) {
    std::string text, error;
    if (!ReadWholeFile(path, text, error, kMaxSettingsBytes)) return {};
    return TIniFile::Parse(text);
}

bool WriteSettingsFile(const std::string& path, const TIniFile& ini, std::string& error) {
    const fs::path folder = fs::path(path).parent_path();
    std::error_code ec;
    if (!folder.empty() && !fs::exists(folder, ec)) fs::create_directories(folder, ec);
    return WriteFileSafely(path, ini.Text(), error);
}

bool UpdateSettingsFile(const std::string& path, const std::function<void(TIniFile&)>& edit,
                        std::string& error) {
    TIniFile ini;
    std::error_code ec;
    if (fs::exists(path, ec)) {
        std::string text;
        if (!ReadWholeFile(path, text, error, kMaxSettingsBytes)) return false;
        ini = TIniFile::Parse(text);
    }
    edit(ini);
    return WriteSettingsFile(path, ini, error);
}

std::vector<double> ReadNumberList(const TIniFile& ini, std::string_view section, std::string_view prefix) {
    std::vector<double> values;
    for (int i = 0;; ++i) {
        const double v = ini.ReadFloat(section, std::string(prefix) + std::to_string(i), -1.0);
        if (v < 0.0) break;
        values.push_back(v);
    }
    return values;
}

TFormPlacement ReadFormPlacement(const TIniFile& ini, std::string_view section) {
    TFormPlacement p;
    p.left = ini.ReadInteger(section, "Left", p.left);
    p.top = ini.ReadInteger(section, "Top", p.top);
    p.width = ini.ReadInteger(section, "Width", p.width);
    p.height = ini.ReadInteger(section, "Height", p.height);
    p.windowState = ini.ReadInteger(section, "WindowState", p.windowState);
    return p;
}

void WriteFormPlacement(TIniFile& ini, std::string_view section, const TFormPlacement& placement) {
    ini.WriteInteger(section, "Top", placement.top);
    ini.WriteInteger(section, "Left", placement.left);
    ini.WriteInteger(section, "WindowState", placement.windowState);
    if (placement.windowState == 0) {
        ini.WriteInteger(section, "Width", placement.width);
        ini.WriteInteger(section, "Height", placement.height);
    }
}

}  // namespace settings
