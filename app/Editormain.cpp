// zelko-editor [FILE.vbf]: the editor window on its own.

#include "app/Editor.h"

int main(int argc, char** argv) {
    return app::RunEditor(argc, argv, argc > 1 ? argv[1] : "");
}
