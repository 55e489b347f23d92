#include "app/Recentfiles.h"

#include <algorithm>

namespace app {

namespace {
std::string Key(int i) {
    return "File" + std::to_string(i);
}
}  // namespace

void TRecentFiles::Add(const std::string& name) {
    if (name.empty()) return;
    const auto it = std::find(names_.begin(), names_.end(), name);
    if (it != names_.end()) names_.erase(it);
    names_.insert(names_.begin(), name);
    if (names_.size() > std::size_t(kCount)) names_.resize(kCount);
}

void TRecentFiles::Load(const settings::TIniFile& ini) {
    names_.clear();
    for (int i = 0; i < kCount; ++i) {
        std::string name = ini.ReadString(kSection, Key(i), "");
        if (!name.empty()) names_.push_back(std::move(name));
    }
}

void TRecentFiles::Save(settings::TIniFile& ini) const {
    for (int i = 0; i < kCount; ++i)
        ini.WriteString(kSection, Key(i), std::size_t(i) < names_.size() ? names_[std::size_t(i)] : "");
}

}  // namespace app
