#pragma once
// The system clipboard in the program's own object format: one block of
// archive bytes under the format name "CF_VEMO2.02_OBJ", so that another
// running zelko can paste what this one copied. No other format is offered or
// read.

#include <optional>
#include <string>

namespace app {

inline constexpr const char* kClipboardFormat = "CF_VEMO2.02_OBJ";

// Puts the bytes on the clipboard; nothing happens when there is no clipboard.
void SetClipboardObjects(const std::string& bytes);
// The bytes of our format on the clipboard; none when it holds none.
std::optional<std::string> ClipboardObjects();

}  // namespace app
