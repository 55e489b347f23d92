#include "gerber/Gerberexport.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "archive/Safefile.h"
#include "gerber/Gerber_oarchive.h"
#include "gerber/Gerbervisitor.h"
#include "model/Vemodocument.h"
#include "model/Vemolayer.h"

namespace {

bool ValidWidth(double mm) {
    return std::isfinite(mm) && mm >= 0.0;
}

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

namespace {

TGerberLayerFile BuildLayerFrom(const std::vector<TVemoObject*>& objects, TVemoDocument& document,
                                const TVemoLayerPtr& layer, double penWidth, double textPenWidth) {
    TGerberLayerFile out;
    TGerber_oarchive archive(layer);
    archive.offsetX = -document.GetAreaX();
    archive.offsetY = document.GetAreaY() + document.GetAreaHeight();
    archive.penWidth = penWidth;
    archive.textPenWidth = textPenWidth;
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

TGerberExportResult ExportGerber(TVemoDocument& document, const TGerberExportOptions& options) {
    TGerberExportResult result;
    if (!ValidWidth(options.penWidth) || !ValidWidth(options.textPenWidth)) {
        result.error = "line widths must be numbers of 0 mm or more";
        return result;
    }

    const TVemoLayerList& list = document.GetLayerList();
    std::vector<TVemoLayerPtr> chosen;
    for (int i = 0; i < list.Count(); ++i) {
        const TVemoLayerPtr layer = list.At(i);
        const bool wanted = options.layers ? std::find(options.layers->begin(), options.layers->end(),
                                                       layer->GetName()) != options.layers->end()
                                           : layer->IsOutput();
        if (wanted) chosen.push_back(layer);
    }

    std::map<std::string, int> uses;
    for (const TVemoLayerPtr& layer : chosen) ++uses[layer->GetName()];
    for (const auto& [name, count] : uses)
        if (count > 1)
            result.warnings.push_back(std::to_string(count) + " output layers are named \"" + name +
                                      "\": each replaces the file of the one before");

    // Every file is written beside its target first and put in place only when
    // all were: a failed export (a refused object, a full disk) leaves the
    // folder's earlier set whole instead of mixing two boards.
    std::vector<std::string> temporaries;
    bool allWritten = true;
    RemoveStaleTemporaries(options.folder.empty() ? "." : options.folder);
    // One walk sorts the objects by layer, so that a document of thousands of
    // layers is not walked once per layer.
    std::unordered_map<const TVemoLayer*, std::vector<TVemoObject*>> byLayer;
    for (TVemoObject* object : VisibleLeaves(document.GetRoot()))
        if (const TVemoLayerPtr layer = object->GetLayer()) byLayer[layer.get()].push_back(object);
    const std::vector<TVemoObject*> none;
    // The layers' files are built side by side (each reads the document only)
    // and written one after another in layer order, as a serial run would.
    std::vector<TGerberLayerFile> files(chosen.size());
    BuildLayersInParallel(
        chosen.size(),
        [&](std::size_t index) {
            const TVemoLayerPtr& layer = chosen[index];
            if (!FileNameProblem(layer->GetName()).empty()) return;
            const auto found = byLayer.find(layer.get());
            files[index] = BuildLayerFrom(found != byLayer.end() ? found->second : none, document, layer,
                                          options.penWidth, options.textPenWidth);
        },
        [&](std::size_t index) {
            if (options.progress) options.progress(int(index), int(chosen.size()), chosen[index]->GetName());
        });
    for (std::size_t index = 0; index < chosen.size(); ++index) {
        const TVemoLayerPtr& layer = chosen[index];
        TGerberLayerResult r;
        r.layer = layer->GetName();
        std::string tmp;
        if (std::string problem = FileNameProblem(r.layer); !problem.empty()) {
            r.error = "the layer name is not a valid file name: " + problem;
        } else {
            r.path = (std::filesystem::path(options.folder) / (r.layer + ".gbr")).string();
            TGerberLayerFile file = std::move(files[index]);
            if (file.skippedFills > 0)
                result.warnings.push_back(
                    "layer \"" + r.layer + "\": " + std::to_string(file.skippedFills) +
                    " filled object(s) not hatched: the fill width is 0 mm or less, or too small to hatch");
            if (!file.ok) {
                r.error = file.error;
            } else if (WriteBeside(r.path, file.bytes, tmp, r.error, false)) {
                r.bytes = file.bytes.size();
                r.apertures = file.apertures;
                r.items = file.items;
            }
        }
        allWritten = allWritten && r.error.empty();
        temporaries.push_back(tmp);
        result.layers.push_back(std::move(r));
    }
    // One sync of the folder's file system makes every file durable before
    // any is put in place, instead of one sync per file.
    std::string syncError;
    if (allWritten && !temporaries.empty() && !SyncFolder(options.folder, syncError)) {
        allWritten = false;
        for (TGerberLayerResult& r : result.layers) r.error = syncError;
    }
    for (std::size_t i = 0; i < temporaries.size(); ++i) {
        TGerberLayerResult& r = result.layers[i];
        if (!allWritten) {
            DiscardTemporary(temporaries[i]);
            if (r.error.empty()) r.error = "not written: another layer failed, so the folder keeps its earlier files";
        } else if (PutInPlace(temporaries[i], r.path, r.error)) {
            r.written = true;
        }
    }

    if (options.layers) {
        std::set<std::string> missing;
        for (const std::string& name : *options.layers) {
            if (list.Find(name) || !missing.insert(name).second) continue;
            TGerberLayerResult r;
            r.layer = name;
            r.error = "the document has no layer of this name";
            result.layers.push_back(std::move(r));
        }
    }
    return result;
}
