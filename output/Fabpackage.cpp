#include "output/Fabpackage.h"

#include <zip.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "archive/Safefile.h"
#include "geom/Units.h"
#include "gerber/Gerbervisitor.h"
#include "model/Vemodocument.h"
#include "model/Vemolayer.h"
#include "model/Vemolayerlist.h"
#include "model/Vemopath.h"
#include "model/Vemoshape.h"
#include "model/Vemostring.h"
#include "output/Exportdrill.h"

namespace {

std::string Mm(double documentUnits) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", units::ToMm(documentUnits));
    return buffer;
}

// The files zipped in memory; empty with a reason on failure.
std::string Zip(const std::vector<std::pair<std::string, std::string>>& files, std::string& error) {
    zip_error_t ze;
    zip_error_init(&ze);
    zip_source_t* source = zip_source_buffer_create(nullptr, 0, 0, &ze);
    if (!source) {
        error = std::string("cannot start a zip archive: ") + zip_error_strerror(&ze);
        zip_error_fini(&ze);
        return {};
    }
    zip_t* archive = zip_open_from_source(source, ZIP_TRUNCATE, &ze);
    if (!archive) {
        error = std::string("cannot start a zip archive: ") + zip_error_strerror(&ze);
        zip_source_free(source);
        zip_error_fini(&ze);
        return {};
    }
    zip_source_keep(source);  // read back after the archive is closed
    for (const auto& [name, bytes] : files) {
        zip_source_t* data = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
        if (!data || zip_file_add(archive, name.c_str(), data, ZIP_FL_ENC_UTF_8) < 0) {
            if (data) zip_source_free(data);
            error = "cannot add " + name + " to the zip archive: " + zip_strerror(archive);
            zip_discard(archive);
            zip_source_free(source);
            zip_error_fini(&ze);
            return {};
        }
    }
    if (zip_close(archive) < 0) {
        error = std::string("cannot finish the zip archive: ") + zip_strerror(archive);
        zip_discard(archive);
        zip_source_free(source);
        zip_error_fini(&ze);
        return {};
    }
    std::string out;
    zip_stat_t st;
    if (zip_source_stat(source, &st) == 0 && (st.valid & ZIP_STAT_SIZE) && zip_source_open(source) == 0) {
        out.resize(std::size_t(st.size));
        const zip_int64_t n = zip_source_read(source, out.data(), st.size);
        zip_source_close(source);
        if (n != zip_int64_t(st.size)) out.clear();
    }
    if (out.empty()) error = "cannot read the zip archive back from memory";
    zip_source_free(source);
    zip_error_fini(&ze);
    return out;
}

// The middle of the strokes of a visible object (where the board is cut along
// an outline), added to edges.
void AddCentreLine(const TVemoObject& object, GraphicsPath& edges) {
    if (const auto* path = dynamic_cast<const TVemoPath*>(&object)) {
        const TRingVector<PointF>& points = path->GetPoints();
        if (points.size() < 4) return;
        std::vector<PointF> curve(points.begin(), points.end());
        if (path->IsClosed())
            curve.push_back(points[0]);
        else
            curve.resize(curve.size() - 2);
        edges.AddBeziers(curve.data(), curve.size());
    } else if (const auto* shape = dynamic_cast<const TVemoShape*>(&object)) {
        GraphicsPath figure;
        if (shape->GetTag() == "ELPS")
            figure.AddEllipse(shape->GetLocalBounds());
        else
            figure.AddRectangle(shape->GetLocalBounds());
        figure.Transform(shape->GetPlacement());
        edges.AddPath(figure);
    } else if (const auto* text = dynamic_cast<const TVemoString*>(&object)) {
        edges.AddPath(text->GetOutline());
    }
}

// The board's size for the readme and what it was taken from: the extent of
// the first layer with the outline role that has something on it, or else the
// design area.
std::string BoardSize(TVemoDocument& document, const TX2ExportOptions& options) {
    const TVemoLayerList& list = document.GetLayerList();
    std::vector<TVemoLayerPtr> outlines;
    for (int i = 0; i < list.Count(); ++i)
        if (RoleOf(options, list.At(i)->GetName()) == TLayerRole::Outline) outlines.push_back(list.At(i));
    const std::vector<TVemoObject*> leaves = VisibleLeaves(document.GetRoot());
    for (const TVemoLayerPtr& outline : outlines) {
        GraphicsPath edges;
        for (const TVemoObject* object : leaves)
            if (object->GetLayer() == outline) AddCentreLine(*object, edges);
        if (edges.PointCount() == 0) continue;
        // Finely, so that a round board measures its diameter to the micrometre.
        edges.Flatten(0.005f);
        const RectF r = edges.GetBounds();
        const auto mm = [](float units) { return Mm(std::round(double(units) * 100.0) / 100.0); };
        return mm(r.width) + " x " + mm(r.height) + " mm (the board outline, layer " + outline->GetName() +
               ")";
    }
    std::string size =
        Mm(document.GetAreaWidth()) + " x " + Mm(document.GetAreaHeight()) + " mm (the design area";
    if (outlines.empty()) return size + ": no layer is the board outline)";
    size += outlines.size() == 1 ? ": the outline layer " : ": the outline layers ";
    for (std::size_t i = 0; i < outlines.size(); ++i) size += (i ? ", " : "") + outlines[i]->GetName();
    return size + (outlines.size() == 1 ? " has nothing on it)" : " have nothing on them)");
}

}  // namespace

bool ExportFabPackage(TVemoDocument& document, const std::string& zipPath, const TX2ExportOptions& options,
                      TFabPackageResult& result, std::string& error) {
    result = {};
    std::vector<std::pair<std::string, std::string>> files;
    std::string layersText;
    const auto add = [&](const std::string& name, std::string bytes, const std::string& what) {
        result.files.push_back({name, bytes.size(), what});
        files.emplace_back(name, std::move(bytes));
    };

    error = PenWidthProblem(options.penWidth, options.textPenWidth);
    std::vector<TVemoLayerPtr> chosen;
    if (!error.empty() || !ChooseLayers(document, options.layers, nullptr, chosen, error)) {
        error += "; nothing written";
        return false;
    }
    for (const TVemoLayerPtr& layer : chosen) {
        const std::string& name = layer->GetName();
        const TLayerRole role = RoleOf(options, name);
        // The drill layer goes to the drill file, even when named.
        if (role == TLayerRole::Drill) continue;
        const TGerberLayerFile file =
            BuildGerberX2Layer(document, layer, role, options.penWidth, options.textPenWidth, options);
        if (!file.ok) {
            error = "layer \"" + name + "\": " + file.error + "; nothing written";
            return false;
        }
        if (file.items == 0) {
            result.warnings.push_back("layer \"" + name + "\" has nothing on it: left out of the package");
            continue;
        }
        const std::string fileName = X2FileName(options, name);
        for (const auto& [existing, bytes] : files)
            if (existing == fileName) {
                error = "two layers would both be " + fileName +
                        ": give them roles of their own or a name template with {layer}; nothing written";
                return false;
            }
        const std::string what = std::string(RoleInfo(role).fileFunction) + " (layer " + name + ")";
        layersText.append("  ").append(fileName).append("  ").append(what).append("\n");
        add(fileName, file.bytes, what);
    }

    std::string drillText = "  none\n";
    const TVemoLayerPtr holes = DrillLayer(document);
    if (holes) {
        const TDrillFile drill =
            BuildDrill(document, holes, "zelko " ZELKO_VERSION " drill file of " + options.board);
        for (const std::string& refused : drill.refused)
            result.warnings.push_back("not drilled: " + refused + " (layer \"" + holes->GetName() + "\")");
        if (drill.holes > 0) {
            const std::string name = options.board + ".drl";
            result.holes = drill.holes;
            drillText.clear();
            for (std::size_t t = 0; t < drill.tools.size(); ++t) {
                char line[80];
                std::snprintf(line, sizeof line, "  T%zu  %.3f mm  %d holes\n", t + 1, drill.tools[t],
                              drill.holesPerTool[t]);
                drillText += line;
            }
            add(name, drill.bytes, "Excellon drill file, metric (layer " + holes->GetName() + ")");
        } else {
            result.warnings.push_back("layer \"" + holes->GetName() + "\" has no round hole: no drill file");
        }
    } else {
        result.warnings.emplace_back("the document has no hole layer: no drill file");
    }
    if (files.empty()) {
        error = "no output layer has anything on it; nothing written";
        return false;
    }

    std::string readme = "Board " + options.board + ", made by zelko " ZELKO_VERSION "\n\n";
    readme += "Size: " + BoardSize(document, options) +
              ". Units: millimetres. Seen from the top (component) side.\n\n";
    readme += "Files:\n";
    for (const TFabPackageResult::File& f : result.files) readme += "  " + f.name + "  " + f.what + "\n";
    readme += "\nGerber X2 layers:\n" + (layersText.empty() ? std::string("  none\n") : layersText);
    readme += "\nHoles: " + std::to_string(result.holes) + "\n" + drillText;
    add("README.txt", readme, "this list");

    const std::string bytes = Zip(files, error);
    if (bytes.empty()) return false;
    std::size_t failed = 0;
    if (!WriteFileSet({{zipPath, bytes}}, failed, error)) return false;
    result.bytes = bytes.size();
    return true;
}
