// import gerber: Gerber and Excellon files (or a folder or zip of them)
// brought into a document, one group per file on its layer.

#include <zip.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "archive/Cp932.h"
#include "archive/Safefile.h"
#include "cli/Commands.h"
#include "import/Fabimport.h"
#include "model/Vemodocument.h"

namespace cli {

namespace {

namespace fs = std::filesystem;

// All the files of one run together: a zip could otherwise unpack to far
// more than any board's fab files.
constexpr std::size_t kMaxTotalBytes = std::size_t(1) << 30;

struct ImportGerberArgs {
    std::vector<std::string> inputs;
    std::string output;
    std::string into;
    std::vector<std::string> maps;
};

// Whether a file found in a folder or zip is a fab file: Gerber has a format
// statement or a unit, Excellon starts with M48. READMEs and the like are left out.
bool LooksLikeFab(const std::string& bytes) {
    if (DetectFabKind(bytes) == TFabKind::Excellon) return true;
    const std::string_view head(bytes.data(), std::min<std::size_t>(bytes.size(), 1 << 16));
    return head.find("%FS") != std::string_view::npos || head.find("%MO") != std::string_view::npos;
}

bool IsZip(const std::string& path) {
    std::error_code ec;
    if (fs::file_size(path, ec) < 4 || ec) return false;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    char magic[4] = {};
    const bool read = std::fread(magic, 1, 4, f) == 4;
    std::fclose(f);
    return read && magic[0] == 'P' && magic[1] == 'K' && magic[2] == 3 && magic[3] == 4;
}

bool ReadZip(const std::string& path, std::vector<TFabFile>& files, std::size_t& total,
             std::vector<std::string>& skipped, std::string& error) {
    int code = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &code);
    if (!archive) {
        error = path + ": not a readable zip file";
        return false;
    }
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    std::vector<TFabFile> found;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        if (zip_stat_index(archive, zip_uint64_t(i), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_NAME) ||
            !(stat.valid & ZIP_STAT_SIZE))
            continue;
        const std::string name = path + "/" + stat.name;  // as messages and --map name it
        if (!name.empty() && name.back() == '/') continue;
        if (stat.size > kMaxFabBytes || total + stat.size > kMaxTotalBytes) {
            error = name;
            error += " unpacks to more than ";
            error += std::to_string((stat.size > kMaxFabBytes ? kMaxFabBytes : kMaxTotalBytes) >> 20);
            error += " MB: refused";
            zip_close(archive);
            return false;
        }
        std::string bytes(stat.size, '\0');
        zip_file_t* entry = zip_fopen_index(archive, zip_uint64_t(i), 0);
        const zip_int64_t got = entry ? zip_fread(entry, bytes.data(), stat.size) : -1;
        if (entry) zip_fclose(entry);
        if (got < 0 || zip_uint64_t(got) != stat.size) {
            error = name;
            error += " cannot be unpacked";
            zip_close(archive);
            return false;
        }
        total += bytes.size();
        if (LooksLikeFab(bytes))
            found.push_back({name, std::move(bytes)});
        else
            skipped.push_back(name);
    }
    zip_close(archive);
    std::sort(found.begin(), found.end(),
              [](const TFabFile& a, const TFabFile& b) { return a.name < b.name; });
    for (TFabFile& f : found) files.push_back(std::move(f));
    return true;
}

// Every input as fab files: a file as it is, a folder's files (not its
// sub-folders) and a zip's entries that look like fab files, in name order.
bool Gather(const std::vector<std::string>& inputs, std::vector<TFabFile>& files,
            std::vector<std::string>& skipped, std::string& error) {
    std::size_t total = 0;
    for (const std::string& input : inputs) {
        std::error_code ec;
        if (fs::is_directory(input, ec)) {
            std::vector<std::string> names;
            for (const fs::directory_entry& entry : fs::directory_iterator(input, ec))
                if (entry.is_regular_file(ec)) names.push_back(entry.path().string());
            if (ec) {
                error = input + ": the folder cannot be read";
                return false;
            }
            std::sort(names.begin(), names.end());
            for (const std::string& name : names) {
                TFabFile file{name, {}};
                if (!ReadWholeFile(name, file.bytes, error, kMaxFabBytes)) return false;
                total += file.bytes.size();
                if (total > kMaxTotalBytes) {
                    error = input + ": more than " + std::to_string(kMaxTotalBytes >> 20) +
                            " MB of files: refused";
                    return false;
                }
                if (LooksLikeFab(file.bytes))
                    files.push_back(std::move(file));
                else
                    skipped.push_back(name);
            }
            continue;
        }
        if (IsZip(input)) {
            if (!ReadZip(input, files, total, skipped, error)) return false;
            continue;
        }
        TFabFile file{input, {}};
        if (!ReadWholeFile(input, file.bytes, error, kMaxFabBytes)) return false;
        total += file.bytes.size();
        if (total > kMaxTotalBytes) {
            error = input + ": more than " + std::to_string(kMaxTotalBytes >> 20) + " MB of files: refused";
            return false;
        }
        files.push_back(std::move(file));
    }
    return true;
}

int RunImportGerber(Session& session, const ImportGerberArgs& args) {
    // --map FILE=LAYER: FILE as given or its name without folders.
    std::map<std::string, std::string> map;
    for (const std::string& pair : args.maps) {
        const std::size_t eq = pair.rfind('=');
        if (eq == std::string::npos || eq == 0 || eq + 1 == pair.size())
            return session.Usage("--map needs FILE=LAYER, not \"" + pair + "\"");
        const std::string dest = pair.substr(eq + 1);
        if (!CanEncodeCp932(dest))
            return session.Usage("--map: a document layer name cannot hold \"" + dest + "\"");
        map[pair.substr(0, eq)] = dest;
    }

    std::vector<TFabFile> files;
    std::vector<std::string> skipped;
    std::string error;
    if (!Gather(args.inputs, files, skipped, error)) return session.Fail(error);
    for (const std::string& name : skipped) session.Warn(name + ": neither Gerber nor Excellon; left out");
    if (files.empty()) return session.Fail("no Gerber or drill files found");

    std::map<std::string, std::string> destinations;
    std::set<std::string> used;
    for (const TFabFile& file : files) {
        const std::string base = fs::path(file.name).filename().string();
        for (const std::string& key : {file.name, base}) {
            const auto found = map.find(key);
            if (found == map.end()) continue;
            destinations[file.name] = found->second;
            used.insert(key);
            break;
        }
    }
    for (const auto& [name, dest] : map)
        if (!used.count(name)) session.Warn("--map " + name + ": no such input file");

    const std::unique_ptr<TVemoDocument> document = BaseDocument(session, args.into);
    if (!document) return kExitFailed;
    const TFabImportResult result = ImportFab(files, destinations, *document);
    session.Timing("imported " + std::to_string(files.size()) + " files");
    for (const std::string& warning : result.warnings) session.Warn(warning);
    if (!result.ok) return session.Fail(result.error + "; nothing imported");
    for (const TFabFileResult& file : result.files)
        session.Say(file.name + ": " + std::to_string(file.objects) + " objects -> layer " + file.layer);
    for (const std::string& name : result.createdLayers)
        session.Warn("the document had no layer \"" + name + "\": a new layer of that name was made");
    return WriteBoard(session, *document, args.output) ? 0 : kExitFailed;
}

}  // namespace

void AddImportGerber(CLI::App& importCommand, Registry& registry) {
    auto args = std::make_shared<ImportGerberArgs>();
    CLI::App* gerber = importCommand.add_subcommand(
        "gerber", "Add Gerber (RS-274X, X2) and Excellon drill files to a document, one group per file");
    gerber
        ->add_option(
            "FILE", args->inputs,
            "Gerber or drill files, folders of them or zip files (a folder's or zip's other files are "
            "left out)")
        ->required()
        ->type_name("");
    gerber->add_option("-o,--output", args->output, "the document to write (.vbf)")
        ->required()
        ->check(kOutputPath)
        ->type_name("OUT");
    gerber
        ->add_option("--map", args->maps,
                     "put FILE (as given, or its name without folders) on document layer LAYER (made when "
                     "missing); may be repeated. Without it a file goes to the layer of its X2 file function "
                     "(drill files to hole), else to a new layer named after the file")
        ->type_name("FILE=LAYER")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    gerber->add_option("--into", args->into, "add to this document instead of a new one")
        ->check(kInputFile)
        ->type_name("BASE");
    registry.Add(gerber, [args](Session& session) { return RunImportGerber(session, *args); });
}

}  // namespace cli
