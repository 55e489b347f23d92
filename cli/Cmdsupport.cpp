#include <unistd.h>

#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <set>

#include "archive/Vemodocumentfile.h"
#include "cli/Commands.h"
#include "model/Vemocontainer.h"
#include "model/Vemodocument.h"
#include "model/Vemoinstance.h"
#include "model/Vemolayer.h"
#include "model/Vemolayerlist.h"

namespace cli {

namespace fs = std::filesystem;

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (const unsigned char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char buffer[8];
                    std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                    out += buffer;
                } else {
                    out += char(c);
                }
        }
    }
    return out + "\"";
}

bool Session::ShowsProgress() const {
    static const bool terminal = ::isatty(STDERR_FILENO) == 1;
    return terminal && !quiet;
}

void Session::Progress(const std::string& text) {
    if (!ShowsProgress()) return;
    // Carriage return and erase to the end of the line: one line, rewritten.
    std::fprintf(stderr, "\r%s: %s\033[K", command.c_str(), text.c_str());
    std::fflush(stderr);
    progressShown_ = true;
}

void Session::EndProgress() {
    if (!progressShown_) return;
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    progressShown_ = false;
}

void Session::Timing(const std::string& step) {
    const auto now = std::chrono::steady_clock::now();
    if (verbose) {
        EndProgress();
        const double ms = std::chrono::duration<double, std::milli>(now - mark_).count();
        std::fprintf(stderr, "%s: %s in %.0f ms\n", command.c_str(), step.c_str(), ms);
    }
    mark_ = now;
}

void Session::Say(const std::string& line) const {
    if (quiet) return;
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void Session::Warn(const std::string& text) {
    EndProgress();
    std::fprintf(stderr, "%s: warning: %s\n", command.c_str(), text.c_str());
}

int Session::Fail(const std::string& reason) {
    EndProgress();
    std::fprintf(stderr, "%s: %s\n", command.c_str(), reason.c_str());
    return kExitFailed;
}

int Session::Usage(const std::string& problem) {
    EndProgress();
    std::fprintf(stderr, "%s: %s (see '%s --help')\n", command.c_str(), problem.c_str(), command.c_str());
    return kExitUsage;
}

void Session::Wrote(const std::string& path, std::uint64_t bytes) const {
    Say("wrote " + path + " (" + std::to_string(bytes) + " bytes)");
}

namespace {

std::string Shortest(double v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", v);
    return buffer;
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

}  // namespace

CLI::Validator NumberIn(double low, double high, const std::string& unit) {
    const std::string range =
        "from " + Shortest(low) + " to " + Shortest(high) + (unit.empty() ? "" : " " + unit);
    return CLI::Validator(
        [low, high, range](std::string& word) -> std::string {
            double value = 0.0;
            if (!ParseNumber(word, value) || !std::isfinite(value)) return "\"" + word + "\" is not a number";
            if (value < low || value > high) return word + " is out of range: give a number " + range;
            return {};
        },
        "");
}

const CLI::Validator kInputFile(
    [](std::string& path) -> std::string {
        std::error_code ec;
        const fs::file_status status = fs::status(path, ec);
        if (!fs::exists(status)) return "no such file: " + path;
        if (fs::is_directory(status)) return path + " is a folder, not a file";
        return {};
    },
    "");

const CLI::Validator kOutputPath(
    [](std::string& path) -> std::string {
        if (path == "-") return "cannot write to standard output: give a file name";
        if (path.empty()) return "an empty name is no file name";
        return {};
    },
    "");

std::vector<std::string> LayerNames(const std::vector<std::string>& options) {
    std::vector<std::string> names;
    std::set<std::string> seen;
    for (const std::string& option : options) {
        std::size_t start = 0;
        while (start <= option.size()) {
            std::size_t comma = option.find(',', start);
            if (comma == std::string::npos) comma = option.size();
            std::string name = option.substr(start, comma - start);
            const auto first = name.find_first_not_of(" \t");
            const auto last = name.find_last_not_of(" \t");
            name = first == std::string::npos ? std::string() : name.substr(first, last - first + 1);
            if (!name.empty() && seen.insert(name).second) names.push_back(name);
            start = comma + 1;
        }
    }
    return names;
}

bool CheckLayers(const TVemoDocument& document, const std::vector<std::string>& names, std::string& error) {
    const TVemoLayerList& layers = document.GetLayerList();
    std::vector<std::string> unknown;
    for (const std::string& name : names)
        if (!layers.Find(name)) unknown.push_back(name);
    if (unknown.empty()) return true;

    error = unknown.size() == 1 ? "no layer named \"" + unknown[0] + "\"" : "no layers named ";
    if (unknown.size() > 1)
        for (std::size_t i = 0; i < unknown.size(); ++i) error += (i ? ", \"" : "\"") + unknown[i] + "\"";
    for (const std::string& name : unknown) {
        for (int i = 0; i < layers.Count(); ++i) {
            const std::string& candidate = layers.At(i)->GetName();
            if (Lower(candidate) == Lower(name)) {
                error += " (did you mean \"" + candidate + "\"? names are case-sensitive)";
                break;
            }
        }
    }
    error += "; the document's layers are: ";
    for (int i = 0; i < layers.Count(); ++i) error += (i ? ", " : "") + layers.At(i)->GetName();
    return false;
}

std::unique_ptr<TVemoDocument> ReadBoard(Session& session, const std::string& path) {
    session.Progress("reading " + path);
    std::string error;
    std::unique_ptr<TVemoDocument> document = ReadDocumentFile(path, error);
    session.EndProgress();
    if (!document) {
        session.Fail("cannot read " + path + ": " + error);
        return nullptr;
    }
    session.Timing("read " + path);
    // Outlines the program had to approximate (a line too tangled to unite,
    // geometry beyond reach) are said once, so that no picture surprises.
    int approximate = 0;
    std::string first;
    ForEachObject(document->GetRoot(), false, [&](const TVemoObject& object) {
        const auto* instance = dynamic_cast<const TVemoInstance*>(&object);
        if (instance && !instance->OutlineNote().empty() && approximate++ == 0)
            first = std::string(instance->OutlineNote());
    });
    if (approximate > 0)
        session.Warn(std::to_string(approximate) + " object(s) of " + path +
                     " have approximate outlines: " + first);
    return document;
}

std::unique_ptr<TVemoDocument> BaseDocument(Session& session, const std::string& path) {
    if (path.empty()) return std::make_unique<TVemoDocument>();
    return ReadBoard(session, path);
}

bool WriteBoard(Session& session, const TVemoDocument& document, const std::string& path) {
    session.Progress("writing " + path);
    std::string error;
    if (!WriteDocumentFile(document, path, error)) {
        session.Fail("cannot write " + path + ": " + error);
        return false;
    }
    session.EndProgress();
    session.Timing("wrote " + path);
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    session.Wrote(path, ec ? 0 : size);
    return true;
}

}  // namespace cli
