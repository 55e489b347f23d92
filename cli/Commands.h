// Batch commands of the zelko front end. Each takes the arguments that follow
// its option word, prints what it did and returns the process exit code.
#pragma once

#include <charconv>
#include <memory>
#include <string>
#include <vector>

class TVemoDocument;

namespace cli {

using Args = std::vector<std::string>;

int CmdInfo(const Args& args);           // --info FILE.vbf
int CmdConvert(const Args& args);        // --convert IN.vbf -o OUT.vbf
int CmdGenerateBoard(const Args& args);  // --generate-board N [--seed S] -o OUT.vbf
int CmdExportGerber(const Args& args);   // --export-gerber DIR [...] FILE.vbf
int CmdExportBitmap(const Args& args);   // --export-bitmap OUT.bmp|OUT.png [...] FILE.vbf
int CmdImportVem(const Args& args);      // --import-vem FILE.vem [...] -o OUT.vbf
int CmdGraph(const Args& args);          // --graph DATA.csv|DATA.tab [...] -o OUT.vbf

// The whole word as a number, read the same whatever the locale; false for
// anything else.
template <typename T>
bool ParseNumber(const std::string& word, T& value) {
    const char* end = word.data() + word.size();
    const auto [ptr, ec] = std::from_chars(word.data(), end, value);
    return ec == std::errc() && ptr == end;
}

// The document a command adds to: a new one when path is empty, else the one
// read from path. Null, with the reason printed, when that cannot be read.
std::unique_ptr<TVemoDocument> BaseDocument(const std::string& path);

}  // namespace cli
