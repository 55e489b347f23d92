#include "app/Editor.h"
#include "cli/Commands.h"

namespace cli {

int OpenEditor(int argc, char** argv, const std::string& file, const std::string& screenshot) {
    return app::RunEditor(argc, argv, file, screenshot);
}

}  // namespace cli
