#include "gerber/Gerberexport.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <map>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "archive/Safefile.h"
#include "gerber/Gerber_oarchive.h"
#include "gerber/Gerbervisitor.h"
#include "model/Vemodocument.h"
#include "model/Vemolayer.h"

namespace {

// Why name cannot name a file in a folder, or empty when it can.
std::string FileNameProblem(const std::string& name) {
    if (name.empty()) return "the layer has no name";
    if (name == "." || name == "..") return "\"" + name + "\" names a folder, not a file";
    if (name.find('/') != std::string::npos) return "a file name cannot contain \"/\"";
    if (name.find('\0') != std::string::npos) return "a file name cannot contain a NUL character";
    return {};
}

}  // namespace

bool TGerberExportResult::Succeeded() const {
    return error.empty() &&
           std::all_of(layers.begin(), layers.end(), [](const TGerberLayerResult& r) { return r.written; });
}

void SetUpLayerArchive(TGerber_oarchive& archive, const TVemoDocument& document, double penWidth,
                       double textPenWidth) {
    archive.offsetX = -document.GetAreaX();
    archive.offsetY = document.GetAreaY() + document.GetAreaHeight();
    archive.penWidth = penWidth;
    archive.textPenWidth = textPenWidth;
}

namespace {

TGerberLayerFile BuildLayerFrom(const std::vector<TVemoObject*>& objects, TVemoDocument& document,
                                const TVemoLayerPtr& layer, double penWidth, double textPenWidth) {
    TGerberLayerFile out;
    TGerber_oarchive archive(layer);
    SetUpLayerArchive(archive, document, penWidth, textPenWidth);
    WriteGerberObjects(objects, archive);
    out.ok = archive.Flush(out.bytes, out.error);
    out.apertures = archive.GetApertures().Count();
    out.items = archive.ItemCount();
    out.skippedFills = archive.SkippedFills();
    return out;
}

}  // namespace

void BuildLayersInParallel(std::size_t count, const std::function<void(std::size_t)>& build,
                           const std::function<void(std::size_t)>& report) {
    std::atomic<std::size_t> next{0};
    std::size_t reported = 0;
    const auto reportUpTo = [&](std::size_t end) {
        for (; reported < end && reported < count; ++reported)
            if (report) report(reported);
    };
    const auto work = [&](bool caller) {
        for (;;) {
            const std::size_t i = next.fetch_add(1);
            if (i >= count) return;
            // Layers taken by other threads in the meantime are announced too.
            if (caller) reportUpTo(i + 1);
            build(i);
        }
    };
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t helpers = std::min<std::size_t>(cores - 1, count > 0 ? count - 1 : 0);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < helpers; ++i) {
        try {
            threads.emplace_back(work, false);
        } catch (const std::system_error&) {
            break;  // no thread to be had: fewer hands
        }
    }
    work(true);
    for (std::thread& thread : threads) thread.join();
    reportUpTo(count);
}

TGerberLayerFile BuildGerberLayer(TVemoDocument& document, const TVemoLayerPtr& layer, double penWidth,
                                  double textPenWidth) {
    return BuildLayerFrom(VisibleLeaves(document.GetRoot()), document, layer, penWidth, textPenWidth);
}

std::string PenWidthProblem(double penWidthMm, double textPenWidthMm) {
    const auto valid = [](double mm) { return std::isfinite(mm) && mm >= 0.0 && mm <= kMaxPenWidthMm; };
    if (valid(penWidthMm) && valid(textPenWidthMm)) return {};
    return "line widths must be numbers from 0 to 100 mm";
}

bool ChooseLayers(const TVemoDocument& document, const std::optional<std::vector<std::string>>& names,
                  const std::function<bool(const TVemoLayer&)>& unnamed, std::vector<TVemoLayerPtr>& chosen,
                  std::string& error) {
    chosen.clear();
    const TVemoLayerList& list = document.GetLayerList();
    if (names)
        for (const std::string& name : *names)
            if (!list.Find(name)) {
                error = "the document has no layer named \"" + name + "\"";
                return false;
            }
    for (int i = 0; i < list.Count(); ++i) {
        const TVemoLayerPtr layer = list.At(i);
        const bool wanted = names ? std::find(names->begin(), names->end(), layer->GetName()) != names->end()
                                  : layer->IsOutput() && (!unnamed || unnamed(*layer));
        if (wanted) chosen.push_back(layer);
    }
    return true;
}

void WriteLayerSet(const std::vector<TVemoLayerPtr>& chosen, const TLayerSetJob& job,
                   TGerberExportResult& result) {
    std::vector<std::string> names(chosen.size()), problems(chosen.size());
    for (std::size_t i = 0; i < chosen.size(); ++i) names[i] = job.fileName(*chosen[i], problems[i]);
    // The layers' files are built side by side (each reads the document only)
    // and taken in layer order, as a serial run would.
    std::vector<TGerberLayerFile> files(chosen.size());
    BuildLayersInParallel(
        chosen.size(),
        [&](std::size_t index) {
            if (problems[index].empty()) files[index] = job.build(index);
        },
        [&](std::size_t index) {
            if (job.progress) job.progress(int(index), int(chosen.size()), chosen[index]->GetName());
        });

    // Each file of the set, and each result this set adds, knows its layer.
    std::vector<TFileToWrite> set;
    std::vector<std::size_t> resultOfFile, layerOfResult;
    const std::size_t first = result.layers.size();
    bool allBuilt = true;
    for (std::size_t index = 0; index < chosen.size(); ++index) {
        TGerberLayerResult r;
        r.layer = chosen[index]->GetName();
        const TGerberLayerFile& file = files[index];
        if (!problems[index].empty()) {
            r.error = "the layer name is not a valid file name: " + problems[index];
        } else {
            r.path = (std::filesystem::path(job.folder) / names[index]).string();
            if (file.skippedFills > 0)
                result.warnings.push_back(
                    "layer \"" + r.layer + "\": " + std::to_string(file.skippedFills) +
                    " filled object(s) not hatched: the fill width is 0 mm or less, or too small to hatch");
            if (!file.ok) {
                r.error = file.error;
            } else if (file.items == 0 && job.leaveOutEmpty) {
                result.warnings.push_back("layer \"" + r.layer + "\" has nothing on it: left out");
                continue;
            } else {
                set.push_back({r.path, file.bytes});
                resultOfFile.push_back(result.layers.size());
            }
        }
        allBuilt = allBuilt && r.error.empty();
        layerOfResult.push_back(index);
        result.layers.push_back(std::move(r));
    }

    std::size_t failed = set.size();
    std::string error;
    const bool written = allBuilt && !set.empty() && WriteFileSet(set, failed, error);
    if (allBuilt && !written) {
        if (failed < set.size())
            result.layers[resultOfFile[failed]].error = error;
        else
            for (const std::size_t i : resultOfFile) result.layers[i].error = error;
    }
    for (std::size_t i = first; i < result.layers.size(); ++i) {
        TGerberLayerResult& r = result.layers[i];
        if (written) {
            const TGerberLayerFile& file = files[layerOfResult[i - first]];
            r.written = true;
            r.bytes = file.bytes.size();
            r.apertures = file.apertures;
            r.items = file.items;
        } else if (r.error.empty()) {
            r.error = "not written: another layer failed, so the folder keeps its earlier files";
        }
    }
}

TGerberExportResult ExportGerber(TVemoDocument& document, const TGerberExportOptions& options) {
    TGerberExportResult result;
    result.error = PenWidthProblem(options.penWidth, options.textPenWidth);
    if (!result.error.empty()) return result;
    std::vector<TVemoLayerPtr> chosen;
    if (!ChooseLayers(document, options.layers, nullptr, chosen, result.error)) return result;

    std::map<std::string, int> uses;
    for (const TVemoLayerPtr& layer : chosen) ++uses[layer->GetName()];
    for (const auto& [name, count] : uses)
        if (count > 1)
            result.warnings.push_back(std::to_string(count) + " output layers are named \"" + name +
                                      "\": each replaces the file of the one before");

    // One walk sorts the objects by layer, so that a document of thousands of
    // layers is not walked once per layer.
    std::unordered_map<const TVemoLayer*, std::vector<TVemoObject*>> byLayer;
    for (TVemoObject* object : VisibleLeaves(document.GetRoot()))
        if (const TVemoLayerPtr layer = object->GetLayer()) byLayer[layer.get()].push_back(object);
    const std::vector<TVemoObject*> none;

    TLayerSetJob job;
    job.folder = options.folder;
    job.progress = options.progress;
    job.fileName = [](const TVemoLayer& layer, std::string& problem) {
        problem = FileNameProblem(layer.GetName());
        return problem.empty() ? layer.GetName() + ".gbr" : std::string();
    };
    job.build = [&](std::size_t index) {
        const TVemoLayerPtr& layer = chosen[index];
        const auto found = byLayer.find(layer.get());
        return BuildLayerFrom(found != byLayer.end() ? found->second : none, document, layer,
                              options.penWidth, options.textPenWidth);
    };
    WriteLayerSet(chosen, job, result);
    return result;
}
