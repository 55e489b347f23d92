#pragma once
// The editor as a program: `zelko` opens it on default.vbf or a new document,
// `zelko FILE.vbf` on that file.

#include <memory>
#include <string>

class TVemoDocument;

namespace app {

// Creates the application, the main window and its first document, and runs
// until the window closes. Returns the exit code: non-zero, with the reason on
// stderr (and in a message box when there is a screen), when there is no
// display or file cannot be read. With a screenshot path the window saves a
// picture of itself there once the document is drawn, and closes as if the
// user closed it (its placement is written to the settings file).
int RunEditor(int argc, char** argv, const std::string& file, const std::string& screenshot = {});

// Whether a window can be shown: a display, or a Qt platform chosen explicitly.
bool HasDisplay();

// The first document: file when given (its file name set, absolute), else
// default.vbf from the data folders (untitled), else a new document. A file
// that does not exist yet gives the new document under that name. Null, with
// the reason, only when file is given and cannot be read.
std::unique_ptr<TVemoDocument> LoadInitialDocument(const std::string& file, std::string& error);

}  // namespace app
