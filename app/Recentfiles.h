#pragma once
// The four documents used last, most recent first, as the File menu lists
// them; kept in the settings file's section "RecentFiles" as "File0" to "File3".

#include <string>
#include <vector>

#include "settings/Inifile.h"

namespace app {

class TRecentFiles {
public:
    static constexpr int kCount = 4;
    static constexpr const char* kSection = "RecentFiles";

    // A name already listed moves to the front, the others keeping their
    // order; a new one goes in front and the oldest drops out when the list
    // is full. An empty name is ignored. Names compare exactly.
    void Add(const std::string& name);
    const std::vector<std::string>& Names() const { return names_; }

    // Every non-empty "File0" to "File3", in that order.
    void Load(const settings::TIniFile& ini);
    // "File0" to "File3", empty where the list is shorter.
    void Save(settings::TIniFile& ini) const;

private:
    std::vector<std::string> names_;
};

}  // namespace app
