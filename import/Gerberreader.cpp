// The RS-274X / X2 reader: the file is cut into commands (words ending in
// '*', and the extended commands between '%' signs), each run against the
// graphics state in file order. Items go to the picture, or to the aperture
// block being defined; a step and repeat copies what its block drew.

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <memory>
#include <numbers>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "import/Fabgeometry.h"
#include "import/Fabreader.h"

namespace {

using fab::AppendArc;
using fab::AppendLine;

constexpr int kMaxBlockDepth = 16;
constexpr std::size_t kMaxMacroPrimitives = 10'000;
constexpr std::size_t kMaxExpressionLength = 4096;
constexpr int kMaxVariable = 10'000;

// A failure carrying its message up to the reader's entry point.
struct TFail {
    std::string what;
};

// ---------------------------------------------------------------- macros

// Arithmetic of macro bodies: + - x / (also X), parentheses, unary signs,
// numbers and $n variables. Depth is bounded by the expression's length.
class TExpression {
public:
    TExpression(std::string_view text, const std::map<int, double>& vars) : s_(text), vars_(vars) {}

    double Evaluate() {
        if (s_.size() > kMaxExpressionLength) throw TFail{"expression too long"};
        const double v = Sum(0);
        Skip();
        if (i_ != s_.size())
            throw TFail{"unexpected \"" + std::string(s_.substr(i_, 8)) + "\" in expression"};
        return v;
    }

private:
    void Skip() {
        while (i_ < s_.size() && std::isspace((unsigned char)s_[i_])) ++i_;
    }
    double Sum(int depth) {
        double v = Product(depth);
        for (;;) {
            Skip();
            if (i_ < s_.size() && (s_[i_] == '+' || s_[i_] == '-')) {
                const char op = s_[i_++];
                const double w = Product(depth);
                v = op == '+' ? v + w : v - w;
            } else {
                return v;
            }
        }
    }
    double Product(int depth) {
        double v = Unary(depth);
        for (;;) {
            Skip();
            if (i_ < s_.size() && (s_[i_] == 'x' || s_[i_] == 'X' || s_[i_] == '/')) {
                const char op = s_[i_++];
                const double w = Unary(depth);
                if (op == '/') {
                    if (w == 0.0) throw TFail{"division by zero in expression"};
                    v /= w;
                } else {
                    v *= w;
                }
            } else {
                return v;
            }
        }
    }
    double Unary(int depth) {
        Skip();
        if (depth > 64) throw TFail{"expression nested too deeply"};
        if (i_ < s_.size() && (s_[i_] == '-' || s_[i_] == '+')) {
            const bool minus = s_[i_++] == '-';
            const double v = Unary(depth + 1);
            return minus ? -v : v;
        }
        if (i_ < s_.size() && s_[i_] == '(') {
            ++i_;
            const double v = Sum(depth + 1);
            Skip();
            if (i_ >= s_.size() || s_[i_] != ')') throw TFail{"missing ')' in expression"};
            ++i_;
            return v;
        }
        if (i_ < s_.size() && s_[i_] == '$') {
            ++i_;
            std::size_t start = i_;
            while (i_ < s_.size() && std::isdigit((unsigned char)s_[i_])) ++i_;
            if (start == i_ || i_ - start > 6) throw TFail{"bad variable in expression"};
            const int n = std::stoi(std::string(s_.substr(start, i_ - start)));
            const auto it = vars_.find(n);
            return it == vars_.end() ? 0.0 : it->second;
        }
        std::size_t start = i_;
        while (i_ < s_.size() && (std::isdigit((unsigned char)s_[i_]) || s_[i_] == '.')) ++i_;
        if (start == i_) throw TFail{"number expected in expression"};
        try {
            return std::stod(std::string(s_.substr(start, i_ - start)));
        } catch (...) {
            throw TFail{"bad number in expression"};
        }
    }

    std::string_view s_;
    const std::map<int, double>& vars_;
    std::size_t i_ = 0;
};

std::vector<std::string> Split(std::string_view text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        parts.emplace_back(
            text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

std::string Trim(std::string_view s) {
    std::size_t a = 0, b = s.size();
    while (a < b && std::isspace((unsigned char)s[a])) ++a;
    while (b > a && std::isspace((unsigned char)s[b - 1])) --b;
    return std::string(s.substr(a, b - a));
}

TFabPoint Rotated(TFabPoint p, double degrees) {
    const double a = degrees * std::numbers::pi / 180.0, c = std::cos(a), s = std::sin(a);
    return {p.x * c - p.y * s, p.x * s + p.y * c};
}

ClipperLib::Path PolygonOf(const std::vector<TFabPoint>& points, double rotation, double scale) {
    ClipperLib::Path path;
    for (const TFabPoint& p : points)
        path.push_back(fab::ToInt(Rotated({p.x * scale, p.y * scale}, rotation)));
    return path;
}

ClipperLib::Path RectPolygon(double cx, double cy, double w, double h) {
    return {fab::ToInt({cx - w / 2, cy - h / 2}), fab::ToInt({cx + w / 2, cy - h / 2}),
            fab::ToInt({cx + w / 2, cy + h / 2}), fab::ToInt({cx - w / 2, cy + h / 2})};
}

ClipperLib::Path RotatePath(const ClipperLib::Path& path, double degrees) {
    ClipperLib::Path out;
    for (const ClipperLib::IntPoint& p : path) out.push_back(fab::ToInt(Rotated(fab::FromInt(p), degrees)));
    return out;
}

// The shape of a macro aperture for its parameters, in mm about the flash
// point. scale turns the file's unit into mm.
ClipperLib::Paths EvaluateMacro(const std::vector<std::string>& body, const std::vector<double>& params,
                                double scale) {
    std::map<int, double> vars;
    for (std::size_t i = 0; i < params.size(); ++i) vars[int(i) + 1] = params[i];
    ClipperLib::Paths shape;
    std::size_t primitives = 0;
    for (const std::string& raw : body) {
        const std::string text = Trim(raw);
        if (text.empty()) continue;
        if (text[0] == '0') continue;  // a comment primitive
        if (text[0] == '$') {
            const std::size_t eq = text.find('=');
            if (eq == std::string::npos)
                throw TFail{"macro statement \"" + text + "\" is neither an assignment nor a primitive"};
            const std::string name = Trim(text.substr(1, eq - 1));
            if (name.empty() || name.size() > 6 || !std::all_of(name.begin(), name.end(), ::isdigit))
                throw TFail{"bad variable \"$" + name + "\""};
            const int n = std::stoi(name);
            if (n > kMaxVariable) throw TFail{"variable $" + name + " out of range"};
            vars[n] = TExpression(std::string_view(text).substr(eq + 1), vars).Evaluate();
            continue;
        }
        if (++primitives > kMaxMacroPrimitives) throw TFail{"macro with too many primitives"};
        std::vector<double> v;
        for (const std::string& field : Split(text, ',')) v.push_back(TExpression(field, vars).Evaluate());
        for (double x : v)
            if (!std::isfinite(x) || std::fabs(x) > 1e7) throw TFail{"macro value out of range"};
        const int code = int(v[0]);
        const auto need = [&](std::size_t n) {
            if (v.size() < n) throw TFail{"macro primitive " + std::to_string(code) + " lacks parameters"};
        };
        const auto mm = [&](std::size_t i) { return v[i] * scale; };
        const bool on = v.size() > 1 && v[1] != 0.0;
        ClipperLib::Paths piece;
        switch (code) {
            case 1: {  // circle: exposure, diameter, x, y[, rotation]
                need(5);
                const double rot = v.size() > 5 ? v[5] : 0.0;
                const TFabPoint c = Rotated({mm(3), mm(4)}, rot);
                piece.push_back(fab::CirclePolygon(c, std::fabs(mm(2)) / 2));
                break;
            }
            case 2:
            case 20: {  // vector line: exposure, width, start, end, rotation
                need(8);
                const TFabPoint a{mm(3), mm(4)}, b{mm(5), mm(6)};
                const double len = std::hypot(b.x - a.x, b.y - a.y), w = mm(2) / 2;
                if (len > 0) {
                    const double nx = -(b.y - a.y) / len * w, ny = (b.x - a.x) / len * w;
                    piece.push_back(PolygonOf({{a.x + nx, a.y + ny},
                                               {a.x - nx, a.y - ny},
                                               {b.x - nx, b.y - ny},
                                               {b.x + nx, b.y + ny}},
                                              v[7], 1.0));
                }
                break;
            }
            case 21: {  // centre line: exposure, width, height, centre, rotation
                need(7);
                piece.push_back(RotatePath(RectPolygon(mm(4), mm(5), mm(2), mm(3)), v[6]));
                break;
            }
            case 22: {  // lower-left line: exposure, width, height, lower left, rotation
                need(7);
                piece.push_back(
                    RotatePath(RectPolygon(mm(4) + mm(2) / 2, mm(5) + mm(3) / 2, mm(2), mm(3)), v[6]));
                break;
            }
            case 4: {  // outline: exposure, n, n + 1 points, rotation
                need(3);
                const double n = v[2];
                if (!(n >= 1) || n > 100000) throw TFail{"outline primitive with a bad vertex count"};
                const std::size_t count = std::size_t(n);
                need(3 + 2 * (count + 1) + 1);
                std::vector<TFabPoint> points;
                for (std::size_t k = 0; k <= count; ++k) points.push_back({mm(3 + 2 * k), mm(4 + 2 * k)});
                piece.push_back(PolygonOf(points, v[3 + 2 * (count + 1)], 1.0));
                break;
            }
            case 5: {  // polygon: exposure, vertices, centre, diameter, rotation
                need(7);
                const int n = int(v[2]);
                if (n < 3 || n > 12) throw TFail{"polygon primitive needs 3 to 12 vertices"};
                std::vector<TFabPoint> points;
                const double r = mm(5) / 2;
                for (int k = 0; k < n; ++k) {
                    const double a = 2 * std::numbers::pi * k / n;
                    points.push_back({mm(3) + r * std::cos(a), mm(4) + r * std::sin(a)});
                }
                piece.push_back(PolygonOf(points, v[6], 1.0));
                break;
            }
            case 7: {  // thermal: centre, outer and inner diameter, gap, rotation
                need(7);
                const TFabPoint c{mm(1), mm(2)};
                const double outer = mm(3), inner = mm(4), gap = mm(5);
                if (!(outer > inner) || inner < 0 || gap < 0 || gap >= outer)
                    throw TFail{"thermal primitive with bad sizes"};
                ClipperLib::Paths ring{fab::CirclePolygon({0, 0}, outer / 2)};
                fab::Combine(ring, {fab::CirclePolygon({0, 0}, inner / 2)}, false);
                fab::Combine(ring, {RectPolygon(0, 0, outer * 2, gap), RectPolygon(0, 0, gap, outer * 2)},
                             false);
                for (const ClipperLib::Path& p : ring) {
                    ClipperLib::Path moved;
                    for (const ClipperLib::IntPoint& q : p) {
                        const TFabPoint f = fab::FromInt(q);
                        moved.push_back(fab::ToInt(Rotated({c.x + f.x, c.y + f.y}, v[6])));
                    }
                    piece.push_back(moved);
                }
                fab::Combine(shape, piece, true);
                continue;  // always exposed
            }
            default:
                throw TFail{"macro primitive " + std::to_string(code) + " is not supported"};
        }
        fab::Combine(shape, piece, on);
    }
    return shape;
}

// ---------------------------------------------------------------- apertures

struct TAperture {
    char kind = 'C';  // C R O P, M (macro), B (block)
    double w = 0, h = 0, hole = 0, rotation = 0;
    int vertices = 0;
    ClipperLib::Paths shape;  // M, and C R O P with a hole: the flash's area
    std::vector<TFabItem> block;
};

struct TFormat {
    bool set = false;
    bool trailingOmitted = false;  // 'T': trailing zeros left out
    bool incremental = false;
    int integer = 2, decimals = 4;
};

class TGerberReader {
public:
    TGerberReader(std::string_view bytes, std::string name, TFabPicture& picture)
        : bytes_(bytes), name_(std::move(name)), picture_(picture) {}

    void Run();
    // "name:line: command: " of the command being run.
    std::string Where() const { return name_ + ":" + std::to_string(line_) + ": " + command_ + ": "; }

private:
    // Cutting the file into commands.
    void ExtendedBlock(std::string_view block, int line);
    void Extended(std::string_view command);
    void Word(std::string_view word);

    // Extended commands.
    void Format(std::string_view c);
    void DefineAperture(std::string_view c);
    void BeginMacro(std::string_view c);
    void StepRepeat(std::string_view c);
    void ApertureBlock(std::string_view c);

    // Drawing.
    double Coordinate(std::string_view digits) const;
    void Operate(int d, std::optional<double> x, std::optional<double> y, std::optional<double> i,
                 std::optional<double> j);
    void Draw(TFabPoint from, TFabPoint to, std::optional<double> i, std::optional<double> j);
    void Flash(TFabPoint at);
    void CloseContour();
    // G37: the region's contours become areas.
    void EndRegion();
    void Emit(TFabItem item);
    bool ArcCentre(TFabPoint from, TFabPoint to, double i, double j, TFabPoint& centre, double& sweep) const;
    void Warn(const std::string& what);
    void Check(TFabPoint p) const;
    std::vector<TFabItem>& Sink() { return blocks_.empty() ? picture_.items : blocks_.back().second; }

    std::string_view bytes_;
    std::string name_;
    TFabPicture& picture_;
    int line_ = 1;
    std::string command_;  // the command being run, for messages

    TFormat format_;
    double scale_ = 25.4;  // file unit in mm
    bool unitsSet_ = false;
    // Deprecated image parameters.
    double offsetA_ = 0, offsetB_ = 0, scaleA_ = 1, scaleB_ = 1;
    bool mirrorA_ = false, mirrorB_ = false;

    std::map<int, TAperture> apertures_;
    std::map<std::string, std::vector<std::string>> macros_;
    std::string openMacro_;  // within one extended block
    int current_ = -1;       // the selected aperture
    int lastD_ = 0;          // the operation code is modal in old files
    int interpolation_ = 1;  // 1 linear, 2 clockwise, 3 counter-clockwise
    bool multiQuadrant_ = false;
    bool clear_ = false;
    bool region_ = false;
    TFabPoint point_;
    std::vector<TFabPoint> contour_;                      // the region contour being drawn
    std::vector<std::vector<TFabPoint>> regionContours_;  // those of this region drawn before
    std::vector<TFabPoint> stroke_;                       // the draw chain being extended
    int strokeAperture_ = -1;
    std::size_t strokeIndex_ = std::size_t(-1);  // its item in the sink
    int nextGroup_ = 0;
    bool ended_ = false;
    bool warnedUnits_ = false;

    // Open aperture blocks: the code and the items drawn so far.
    std::vector<std::pair<int, std::vector<TFabItem>>> blocks_;
    // An open step and repeat: its cells and where its items began.
    struct TRepeat {
        long nx = 1, ny = 1;
        double dx = 0, dy = 0;
        std::size_t start = 0;
    };
    std::optional<TRepeat> repeat_;
};

void TGerberReader::Warn(const std::string& what) {
    if (picture_.warnings.size() < 50)
        picture_.warnings.push_back(name_ + ":" + std::to_string(line_) + ": " + command_ + ": " + what);
}

void TGerberReader::Check(TFabPoint p) const {
    if (!(std::fabs(p.x) <= kMaxFabCoordinateMm) || !(std::fabs(p.y) <= kMaxFabCoordinateMm))
        throw TFail{"coordinate more than 10 m from the origin"};
}

void TGerberReader::Run() {
    std::size_t i = 0;
    const std::size_t n = bytes_.size();
    while (i < n && !ended_) {
        const char c = bytes_[i];
        if (c == '\n') {
            ++line_;
            ++i;
            continue;
        }
        if (std::isspace((unsigned char)c)) {
            ++i;
            continue;
        }
        const int startLine = line_;
        if (c == '%') {
            const std::size_t end = bytes_.find('%', i + 1);
            if (end == std::string_view::npos) {
                command_ = std::string(bytes_.substr(i, 16));
                throw TFail{"extended command without its closing %"};
            }
            const std::string_view block = bytes_.substr(i + 1, end - i - 1);
            line_ = startLine;
            ExtendedBlock(block, startLine);
            line_ = startLine + int(std::count(block.begin(), block.end(), '\n'));
            i = end + 1;
            continue;
        }
        std::size_t end = bytes_.find('*', i);
        if (end == std::string_view::npos) {
            command_ = std::string(bytes_.substr(i, 16));
            throw TFail{"command without its closing *"};
        }
        std::string word;
        for (std::size_t k = i; k < end; ++k) {
            if (bytes_[k] == '\n') ++line_;
            if (!std::isspace((unsigned char)bytes_[k])) word += bytes_[k];
        }
        const int after = line_;
        line_ = startLine;
        command_ = word.substr(0, 40);
        Word(word);
        line_ = after;
        i = end + 1;
    }
    if (!ended_) {
        command_ = "end of file";
        Warn("no M02 at the end: the file may be cut short");
    }
    if (!blocks_.empty()) throw TFail{"aperture block not closed"};
    if (repeat_) {
        command_ = "%SR";
        StepRepeat("SR");
    }
}

void TGerberReader::ExtendedBlock(std::string_view block, int line) {
    openMacro_.clear();
    std::size_t start = 0;
    int l = line;
    while (start < block.size()) {
        std::size_t end = block.find('*', start);
        if (end == std::string_view::npos) end = block.size();
        std::string command;
        const int commandLine = l;
        for (std::size_t k = start; k < end; ++k) {
            if (block[k] == '\n') ++l;
            if (block[k] != '\n' && block[k] != '\r') command += block[k];
        }
        start = end + 1;
        const std::string trimmed = Trim(command);
        if (trimmed.empty()) continue;
        line_ = commandLine;
        command_ = "%" + trimmed.substr(0, 40);
        Extended(trimmed);
    }
    openMacro_.clear();
}

void TGerberReader::Extended(std::string_view c) {
    if (!openMacro_.empty()) {
        macros_[openMacro_].push_back(std::string(c));
        return;
    }
    const std::string_view code = c.substr(0, 2);
    if (code == "FS") return Format(c);
    if (code == "MO") {
        if (c == "MOMM")
            scale_ = 1.0;
        else if (c == "MOIN")
            scale_ = 25.4;
        else
            throw TFail{"unit must be MM or IN"};
        unitsSet_ = true;
        return;
    }
    if (code == "AD") return DefineAperture(c);
    if (code == "AM") return BeginMacro(c);
    if (code == "LP") {
        if (c == "LPD")
            clear_ = false;
        else if (c == "LPC")
            clear_ = true;
        else
            throw TFail{"polarity must be D or C"};
        stroke_.clear();
        return;
    }
    if (code == "SR") return StepRepeat(c);
    if (code == "AB") return ApertureBlock(c);
    if (code == "TF") {
        if (c.substr(0, 16) == "TF.FileFunction,") picture_.fileFunction = std::string(c.substr(16));
        return;
    }
    if (code == "TA" || code == "TO" || code == "TD") return;  // attributes change nothing drawn
    if (code == "IN" || code == "LN") return;                  // names only
    if (code == "IP") {
        if (c == "IPNEG") Warn("negative image polarity is ignored: the picture is read as positive");
        return;
    }
    if (code == "OF") {
        offsetA_ = offsetB_ = 0;
        std::size_t k = 2;
        while (k < c.size()) {
            const char axis = c[k++];
            std::size_t e = k;
            while (e < c.size() && c[e] != 'A' && c[e] != 'B') ++e;
            double v = 0;
            try {
                v = std::stod(std::string(c.substr(k, e - k)));
            } catch (...) {
                throw TFail{"bad offset"};
            }
            (axis == 'A' ? offsetA_ : offsetB_) = v;
            k = e;
        }
        if (offsetA_ != 0 || offsetB_ != 0) Warn("deprecated image offset applied");
        return;
    }
    if (code == "MI") {
        mirrorA_ = c.find("A1") != std::string_view::npos;
        mirrorB_ = c.find("B1") != std::string_view::npos;
        if (mirrorA_ || mirrorB_) Warn("deprecated image mirroring applied");
        return;
    }
    if (code == "SF") {
        scaleA_ = scaleB_ = 1;
        std::size_t k = 2;
        while (k < c.size()) {
            const char axis = c[k++];
            std::size_t e = k;
            while (e < c.size() && c[e] != 'A' && c[e] != 'B') ++e;
            double v = 1;
            try {
                v = std::stod(std::string(c.substr(k, e - k)));
            } catch (...) {
                throw TFail{"bad scale factor"};
            }
            if (!(v > 0 && v < 1000)) throw TFail{"scale factor out of range"};
            (axis == 'A' ? scaleA_ : scaleB_) = v;
            k = e;
        }
        if (scaleA_ != 1 || scaleB_ != 1) Warn("deprecated scale factor applied");
        return;
    }
    if (code == "AS") {
        if (c != "ASAXBY") throw TFail{"axis select other than AXBY is not supported"};
        return;
    }
    if (code == "IR") {
        if (c != "IR0") throw TFail{"image rotation is not supported"};
        return;
    }
    if (code == "IO" || code == "IJ" || code == "KO" || code == "LM" || code == "LR" || code == "LS")
        throw TFail{"not supported"};
    Warn("unknown extended command ignored");
}

void TGerberReader::Format(std::string_view c) {
    // FS, L or T (or D, taken as L), A or I, then X and Y digit pairs;
    // old N, G, D, M digit fields are passed over.
    TFormat f;
    std::size_t k = 2;
    for (; k < c.size() && c[k] != 'X'; ++k) {
        if (c[k] == 'T') f.trailingOmitted = true;
        if (c[k] == 'I') f.incremental = true;
        if (c[k] == 'N' || c[k] == 'G' || c[k] == 'D' || c[k] == 'M') ++k;
    }
    if (k + 2 >= c.size() || !std::isdigit((unsigned char)c[k + 1]) || !std::isdigit((unsigned char)c[k + 2]))
        throw TFail{"coordinate format needs X and two digits"};
    f.integer = c[k + 1] - '0';
    f.decimals = c[k + 2] - '0';
    if (f.integer > 8 || f.decimals > 8 || f.decimals < 1) throw TFail{"coordinate format out of range"};
    f.set = true;
    format_ = f;
    if (f.incremental) Warn("incremental coordinates are deprecated");
}

double TGerberReader::Coordinate(std::string_view digits) const {
    if (digits.empty() || digits.size() > 20) throw TFail{"bad coordinate \"" + std::string(digits) + "\""};
    double value = 0;
    if (digits.find('.') != std::string_view::npos) {
        try {
            value = std::stod(std::string(digits));
        } catch (...) {
            throw TFail{"bad coordinate \"" + std::string(digits) + "\""};
        }
    } else {
        if (!format_.set) throw TFail{"coordinate before the format (%FS)"};
        bool negative = false;
        std::size_t k = 0;
        if (digits[0] == '+' || digits[0] == '-') {
            negative = digits[0] == '-';
            k = 1;
        }
        std::string d(digits.substr(k));
        if (d.empty() || !std::all_of(d.begin(), d.end(), ::isdigit))
            throw TFail{"bad coordinate \"" + std::string(digits) + "\""};
        if (format_.trailingOmitted) {
            const std::size_t total = std::size_t(format_.integer) + std::size_t(format_.decimals);
            if (d.size() < total) d.append(total - d.size(), '0');
        }
        value = std::stod(d) / std::pow(10.0, format_.decimals);
        if (negative) value = -value;
    }
    const double mm = value * scale_;
    if (!(std::fabs(mm) <= kMaxFabCoordinateMm)) throw TFail{"coordinate more than 10 m from the origin"};
    return mm;
}

void TGerberReader::DefineAperture(std::string_view c) {
    // ADD<code><template>[,<params separated by X>]
    std::size_t k = 2;
    if (k >= c.size() || c[k] != 'D') throw TFail{"aperture definition needs D and a number"};
    ++k;
    const std::size_t digits = k;
    while (k < c.size() && std::isdigit((unsigned char)c[k])) ++k;
    if (k == digits || k - digits > 9) throw TFail{"aperture definition needs a number"};
    const int code = std::stoi(std::string(c.substr(digits, k - digits)));
    if (code < 10) throw TFail{"aperture numbers start at 10"};
    const std::size_t comma = c.find(',', k);
    const std::string name(c.substr(k, comma == std::string_view::npos ? std::string_view::npos : comma - k));
    std::vector<double> params;
    if (comma != std::string_view::npos) {
        std::vector<std::string> fields = Split(c.substr(comma + 1), 'X');
        if (fields.size() > 1 && Trim(fields.back()).empty()) fields.pop_back();  // a stray trailing X
        for (const std::string& field : fields) {
            const std::string p = Trim(field);
            try {
                std::size_t used = 0;
                params.push_back(std::stod(p, &used));
                if (used != p.size()) throw 0;
            } catch (...) {
                throw TFail{"bad aperture parameter \"" + p + "\""};
            }
            if (!std::isfinite(params.back()) || std::fabs(params.back()) * scale_ > kMaxFabCoordinateMm)
                throw TFail{"aperture parameter out of range"};
        }
    }
    TAperture a;
    const auto param = [&](std::size_t i, double fallback) {
        return i < params.size() ? params[i] : fallback;
    };
    if (name == "C" || name == "R" || name == "O" || name == "P") {
        a.kind = name[0];
        if (params.empty()) throw TFail{"aperture " + name + " needs its size"};
        for (double p : params)
            if (p < 0 && name != "P") throw TFail{"negative aperture size"};
        if (a.kind == 'C') {
            a.w = param(0, 0) * scale_;
            a.hole = param(1, 0) * scale_;
        } else if (a.kind == 'P') {
            a.w = param(0, 0) * scale_;
            a.vertices = int(param(1, 0));
            a.rotation = param(2, 0);
            a.hole = param(3, 0) * scale_;
            if (a.vertices < 3 || a.vertices > 12) throw TFail{"polygon aperture needs 3 to 12 vertices"};
        } else {
            // Old files give a square by one size.
            a.w = param(0, 0) * scale_;
            a.h = param(1, param(0, 0)) * scale_;
            a.hole = param(2, 0) * scale_;
        }
        if (a.hole > 0) {
            // A flash with a hole is one area: the outline less the hole.
            ClipperLib::Paths outer;
            if (a.kind == 'C') outer.push_back(fab::CirclePolygon({0, 0}, a.w / 2));
            if (a.kind == 'R') outer.push_back(RectPolygon(0, 0, a.w, a.h));
            if (a.kind == 'O') {
                const double r = std::min(a.w, a.h) / 2;
                const double dx = a.w / 2 - r, dy = a.h / 2 - r;
                outer.push_back(RectPolygon(0, 0, 2 * dx, 2 * dy + 2 * r));
                outer.push_back(RectPolygon(0, 0, 2 * dx + 2 * r, 2 * dy));
                outer.push_back(fab::CirclePolygon({-dx, -dy}, r));
                outer.push_back(fab::CirclePolygon({dx, dy}, r));
                fab::Combine(outer, {}, true);
            }
            if (a.kind == 'P') {
                ClipperLib::Path p;
                for (int v = 0; v < a.vertices; ++v) {
                    const double ang = (a.rotation + 360.0 * v / a.vertices) * std::numbers::pi / 180;
                    p.push_back(fab::ToInt({a.w / 2 * std::cos(ang), a.w / 2 * std::sin(ang)}));
                }
                outer.push_back(p);
            }
            fab::Combine(outer, {fab::CirclePolygon({0, 0}, a.hole / 2)}, false);
            a.shape = outer;
        }
    } else {
        const auto macro = macros_.find(name);
        if (macro == macros_.end()) throw TFail{"aperture template \"" + name + "\" is not defined"};
        a.kind = 'M';
        a.shape = EvaluateMacro(macro->second, params, scale_);
    }
    apertures_[code] = std::move(a);
}

void TGerberReader::BeginMacro(std::string_view c) {
    const std::string name = Trim(c.substr(2));
    if (name.empty()) throw TFail{"macro without a name"};
    if (macros_.size() > 10'000) throw TFail{"too many macros"};
    macros_[name].clear();
    openMacro_ = name;
}

void TGerberReader::StepRepeat(std::string_view c) {
    stroke_.clear();
    if (repeat_) {
        // The block ends: its items, copied to every other cell.
        const TRepeat r = *repeat_;
        repeat_.reset();
        std::vector<TFabItem>& sink = Sink();
        const std::size_t end = sink.size();
        if ((end - r.start) * std::size_t(r.nx * r.ny) > kMaxFabItems)
            throw TFail{"step and repeat makes too many objects"};
        for (long a = 0; a < r.nx; ++a)
            for (long b = 0; b < r.ny; ++b) {
                if (a == 0 && b == 0) continue;
                const double dx = double(a) * r.dx, dy = double(b) * r.dy;
                std::map<int, int> groups;  // fresh numbers per cell
                for (std::size_t k = r.start; k < end; ++k) {
                    TFabItem item = sink[k];
                    for (TFabPoint& p : item.chain) p = {p.x + dx, p.y + dy};
                    item.centre = {item.centre.x + dx, item.centre.y + dy};
                    if (item.group >= 0) {
                        const auto [at, fresh] = groups.emplace(item.group, nextGroup_);
                        if (fresh) ++nextGroup_;
                        item.group = at->second;
                    }
                    Check(item.centre);
                    sink.push_back(std::move(item));
                }
            }
    }
    if (c == "SR") return;
    long nx = 1, ny = 1;
    double dx = 0, dy = 0;
    std::size_t k = 2;
    while (k < c.size()) {
        const char axis = c[k++];
        std::size_t e = k;
        while (e < c.size() && std::isalpha((unsigned char)c[e]) == 0) ++e;
        const std::string v(c.substr(k, e - k));
        double value = 0;
        try {
            value = std::stod(v);
        } catch (...) {
            throw TFail{"bad step and repeat value \"" + v + "\""};
        }
        if (!std::isfinite(value)) throw TFail{"bad step and repeat value"};
        if (axis == 'X') nx = value < 1 || value > 1e9 ? -1 : long(value);
        if (axis == 'Y') ny = value < 1 || value > 1e9 ? -1 : long(value);
        if (axis == 'I') dx = value * scale_;
        if (axis == 'J') dy = value * scale_;
        k = e;
    }
    if (nx < 1 || ny < 1) throw TFail{"step and repeat needs at least one cell each way"};
    if (nx * ny > kMaxStepRepeatCells) throw TFail{"step and repeat over 10 000 cells"};
    if (std::fabs(dx * double(nx)) > kMaxFabCoordinateMm || std::fabs(dy * double(ny)) > kMaxFabCoordinateMm)
        throw TFail{"step and repeat reaches more than 10 m"};
    if (nx == 1 && ny == 1) return;
    repeat_ = TRepeat{nx, ny, dx, dy, Sink().size()};
}

void TGerberReader::ApertureBlock(std::string_view c) {
    stroke_.clear();
    if (c == "AB") {
        if (blocks_.empty()) throw TFail{"aperture block end without its start"};
        auto [code, items] = std::move(blocks_.back());
        blocks_.pop_back();
        TAperture a;
        a.kind = 'B';
        a.block = std::move(items);
        apertures_[code] = std::move(a);
        return;
    }
    if (c.size() < 4 || c[2] != 'D') throw TFail{"aperture block needs D and a number"};
    const std::string digits(c.substr(3));
    if (digits.empty() || digits.size() > 9 || !std::all_of(digits.begin(), digits.end(), ::isdigit))
        throw TFail{"aperture block needs a number"};
    if (int(blocks_.size()) >= kMaxBlockDepth) throw TFail{"aperture blocks nested too deeply"};
    blocks_.emplace_back(std::stoi(digits), std::vector<TFabItem>{});
}

void TGerberReader::Word(std::string_view w) {
    if (w.empty()) return;
    if (w.substr(0, 3) == "G04" ||
        (w.substr(0, 2) == "G4" && (w.size() == 2 || !std::isdigit((unsigned char)w[2]))))
        return;  // a comment
    std::optional<double> x, y, i, j;
    int d = -1;
    std::size_t k = 0;
    while (k < w.size()) {
        const char letter = char(std::toupper((unsigned char)w[k++]));
        std::size_t e = k;
        while (e < w.size() &&
               (std::isdigit((unsigned char)w[e]) || w[e] == '+' || w[e] == '-' || w[e] == '.'))
            ++e;
        const std::string_view value = w.substr(k, e - k);
        k = e;
        if (letter == 'X' || letter == 'Y' || letter == 'I' || letter == 'J') {
            const double v = Coordinate(value);
            (letter == 'X' ? x : letter == 'Y' ? y : letter == 'I' ? i : j) = v;
            continue;
        }
        if (value.empty() || value.size() > 9 || !std::all_of(value.begin(), value.end(), ::isdigit))
            throw TFail{std::string("bad ") + letter + " code"};
        const int n = std::stoi(std::string(value));
        if (letter == 'G') {
            switch (n) {
                case 1:
                case 2:
                case 3:
                    interpolation_ = n;
                    break;
                case 36:
                    if (region_) throw TFail{"region inside a region"};
                    stroke_.clear();
                    region_ = true;
                    contour_.clear();
                    break;
                case 37:
                    if (!region_) throw TFail{"region end without its start"};
                    EndRegion();
                    region_ = false;
                    break;
                case 74:
                    multiQuadrant_ = false;
                    break;
                case 75:
                    multiQuadrant_ = true;
                    break;
                case 70:
                    scale_ = 25.4;
                    unitsSet_ = true;
                    break;
                case 71:
                    scale_ = 1.0;
                    unitsSet_ = true;
                    break;
                case 90:
                    format_.incremental = false;
                    break;
                case 91:
                    format_.incremental = true;
                    break;
                case 54:
                case 55:
                    break;  // aperture selection and flash preparation: nothing of their own
                default:
                    throw TFail{"G" + std::to_string(n) + " is not supported"};
            }
        } else if (letter == 'D') {
            if (n >= 10) {
                if (apertures_.find(n) == apertures_.end())
                    throw TFail{"aperture D" + std::to_string(n) + " is not defined"};
                if (region_) throw TFail{"aperture selected inside a region"};
                current_ = n;
                stroke_.clear();
            } else if (n >= 1 && n <= 3) {
                d = n;
            } else {
                throw TFail{"D" + std::to_string(n) + " is not an operation"};
            }
        } else if (letter == 'M') {
            if (n == 2 || n == 0 || n == 1) {
                if (n == 2 || n == 0) ended_ = true;
            } else {
                throw TFail{"M" + std::to_string(n) + " is not supported"};
            }
        } else if (letter == 'N') {
            // a sequence number
        } else {
            throw TFail{std::string("unknown code ") + letter};
        }
    }
    if (d < 0 && (x || y || i || j)) {
        // The operation is modal in old files; before the first one the
        // exposure is off, so bare coordinates only move.
        d = lastD_ == 0 ? 2 : lastD_;
    }
    if (d > 0) {
        lastD_ = d;
        Operate(d, x, y, i, j);
    }
}

void TGerberReader::Operate(int d, std::optional<double> x, std::optional<double> y, std::optional<double> i,
                            std::optional<double> j) {
    // Deprecated image parameters first: scale, then mirror, then offset.
    const auto map = [&](double v, bool isX) {
        v *= isX ? scaleA_ : scaleB_;
        if (isX ? mirrorA_ : mirrorB_) v = -v;
        return v + (isX ? offsetA_ : offsetB_) * scale_;
    };
    TFabPoint to = point_;
    if (format_.incremental) {
        if (x) to.x += *x * scaleA_ * (mirrorA_ ? -1 : 1);
        if (y) to.y += *y * scaleB_ * (mirrorB_ ? -1 : 1);
    } else {
        if (x) to.x = map(*x, true);
        if (y) to.y = map(*y, false);
    }
    if (i) *i *= scaleA_ * (mirrorA_ ? -1 : 1);
    if (j) *j *= scaleB_ * (mirrorB_ ? -1 : 1);
    Check(to);
    if (!unitsSet_ && !warnedUnits_) {
        warnedUnits_ = true;
        Warn("no unit given (%MO): inches assumed");
    }
    const TFabPoint from = point_;
    point_ = to;
    if (d == 2) {
        stroke_.clear();
        if (region_) {
            CloseContour();
            contour_ = {to};
        }
        return;
    }
    if (d == 3) {
        if (region_) throw TFail{"flash inside a region"};
        stroke_.clear();
        return Flash(to);
    }
    Draw(from, to, i, j);
}

bool TGerberReader::ArcCentre(TFabPoint from, TFabPoint to, double i, double j, TFabPoint& centre,
                              double& sweep) const {
    const bool ccw = interpolation_ == 3;
    const double twoPi = 2 * std::numbers::pi;
    const bool full = std::hypot(to.x - from.x, to.y - from.y) < 1e-9;
    // The sweep from from to to about c in the arc's direction, in (0, 2 pi].
    const auto sweepAbout = [&](TFabPoint c) {
        const double a0 = std::atan2(from.y - c.y, from.x - c.x), a1 = std::atan2(to.y - c.y, to.x - c.x);
        double s = ccw ? a1 - a0 : a0 - a1;
        while (s <= 1e-12) s += twoPi;
        while (s > twoPi) s -= twoPi;
        return s;
    };
    if (multiQuadrant_) {
        centre = {from.x + i, from.y + j};
        const double s = full ? twoPi : sweepAbout(centre);
        sweep = ccw ? s : -s;
        return true;
    }
    // Single quadrant: the offsets are unsigned; the centre is the one whose
    // arc spans at most a quarter turn and fits both ends best.
    double best = -1;
    for (int sx = -1; sx <= 1; sx += 2)
        for (int sy = -1; sy <= 1; sy += 2) {
            const TFabPoint c{from.x + sx * std::fabs(i), from.y + sy * std::fabs(j)};
            const double s = full ? 0.0 : sweepAbout(c);
            if (s > std::numbers::pi / 2 + 1e-3) continue;
            const double misfit =
                std::fabs(std::hypot(from.x - c.x, from.y - c.y) - std::hypot(to.x - c.x, to.y - c.y));
            if (best < 0 || misfit < best) {
                best = misfit;
                centre = c;
                sweep = ccw ? s : -s;
            }
        }
    return best >= 0;
}

void TGerberReader::Draw(TFabPoint from, TFabPoint to, std::optional<double> i, std::optional<double> j) {
    const bool arc = interpolation_ != 1;
    TFabPoint centre;
    double sweep = 0;
    if (arc && !ArcCentre(from, to, i.value_or(0), j.value_or(0), centre, sweep))
        throw TFail{"no single-quadrant arc fits these points"};
    if (arc && std::hypot(from.x - centre.x, from.y - centre.y) < 1e-9) {
        if (std::hypot(to.x - from.x, to.y - from.y) > 1e-9)
            throw TFail{"arc of radius 0 between two points"};
        sweep = 0;  // an arc of nothing
    }
    const auto extend = [&](std::vector<TFabPoint>& chain) {
        if (arc && sweep != 0)
            AppendArc(chain, centre, sweep, to);
        else
            AppendLine(chain, to);
    };
    if (region_) {
        if (contour_.empty()) contour_ = {from};
        extend(contour_);
        if (contour_.size() > std::size_t(6'000'000)) throw TFail{"region contour too long"};
        return;
    }
    if (current_ < 0) throw TFail{"draw before any aperture was selected"};
    const TAperture& a = apertures_.at(current_);
    const bool dot = std::hypot(to.x - from.x, to.y - from.y) < 1e-9 && (!arc || sweep == 0);
    if (a.kind == 'C' || (a.kind == 'R' && arc)) {
        if (a.kind == 'R') Warn("arc drawn with a rectangle aperture: drawn with square ends");
        const double width = a.kind == 'C' ? a.w : std::min(a.w, a.h);
        if (dot) {
            stroke_.clear();
            TFabItem item;
            item.kind = a.kind == 'C' ? TFabItem::Kind::Circle : TFabItem::Kind::Rect;
            item.centre = to;
            item.width = a.w;
            item.height = a.h;
            item.clear = clear_;
            if (a.w > 0) Emit(std::move(item));
            return;
        }
        if (width <= 0) return;  // a pen of no width draws nothing
        std::vector<TFabItem>& sink = Sink();
        if (!stroke_.empty() && strokeAperture_ == current_ && strokeIndex_ < sink.size()) {
            extend(sink[strokeIndex_].chain);
            return;
        }
        TFabItem item;
        item.kind = TFabItem::Kind::Stroke;
        item.chain = {from};
        extend(item.chain);
        item.width = width;
        item.squareCap = a.kind == 'R';
        item.clear = clear_;
        Emit(std::move(item));
        stroke_ = {to};
        strokeAperture_ = current_;
        strokeIndex_ = Sink().size() - 1;
        return;
    }
    if (a.kind != 'R') throw TFail{"draw with an aperture that is neither a circle nor a rectangle"};
    stroke_.clear();
    if (a.w <= 0 || a.h <= 0) return;
    TFabItem item;
    item.clear = clear_;
    if (dot) {
        item.kind = TFabItem::Kind::Rect;
        item.centre = to;
        item.width = a.w;
        item.height = a.h;
        Emit(std::move(item));
        return;
    }
    if (a.w == a.h && (from.x == to.x || from.y == to.y)) {
        // A square pen along an axis: a stroke with square ends.
        item.kind = TFabItem::Kind::Stroke;
        item.squareCap = true;
        item.width = a.w;
        item.chain = {from};
        AppendLine(item.chain, to);
        Emit(std::move(item));
        return;
    }
    // Otherwise the area the rectangle sweeps: the hull of its two places.
    const double hw = a.w / 2, hh = a.h / 2;
    std::vector<TFabPoint> corners;
    for (const TFabPoint p : {from, to})
        for (const TFabPoint d :
             {TFabPoint{-hw, -hh}, TFabPoint{hw, -hh}, TFabPoint{hw, hh}, TFabPoint{-hw, hh}})
            corners.push_back({p.x + d.x, p.y + d.y});
    std::sort(corners.begin(), corners.end(),
              [](TFabPoint p, TFabPoint q) { return p.x < q.x || (p.x == q.x && p.y < q.y); });
    std::vector<TFabPoint> hull;
    const auto cross = [](TFabPoint o, TFabPoint p, TFabPoint q) {
        return (p.x - o.x) * (q.y - o.y) - (p.y - o.y) * (q.x - o.x);
    };
    for (int pass = 0; pass < 2; ++pass) {
        const std::size_t base = hull.size();
        for (const TFabPoint& p : corners) {
            while (hull.size() >= base + 2 && cross(hull[hull.size() - 2], hull.back(), p) <= 0)
                hull.pop_back();
            hull.push_back(p);
        }
        hull.pop_back();
        std::reverse(corners.begin(), corners.end());
    }
    item.kind = TFabItem::Kind::Area;
    item.chain = {hull.front()};
    for (std::size_t k = 1; k < hull.size(); ++k) AppendLine(item.chain, hull[k]);
    AppendLine(item.chain, hull.front());
    Emit(std::move(item));
}

void TGerberReader::Flash(TFabPoint at) {
    if (current_ < 0) throw TFail{"flash before any aperture was selected"};
    const TAperture& a = apertures_.at(current_);
    TFabItem item;
    item.clear = clear_;
    item.centre = at;
    if (a.kind == 'B') {
        std::map<int, int> groups;
        for (const TFabItem& source : a.block) {
            TFabItem copy = source;
            for (TFabPoint& p : copy.chain) p = {p.x + at.x, p.y + at.y};
            copy.centre = {copy.centre.x + at.x, copy.centre.y + at.y};
            Check(copy.centre);
            if (clear_) copy.clear = !copy.clear;
            if (copy.group >= 0) {
                const auto [g, fresh] = groups.emplace(copy.group, nextGroup_);
                if (fresh) ++nextGroup_;
                copy.group = g->second;
            }
            Emit(std::move(copy));
        }
        return;
    }
    if (!a.shape.empty() || a.kind == 'M') {
        ClipperLib::Paths moved = a.shape;
        const ClipperLib::IntPoint shift = fab::ToInt(at);
        for (ClipperLib::Path& p : moved)
            for (ClipperLib::IntPoint& q : p) {
                q.X += shift.X;
                q.Y += shift.Y;
            }
        const std::vector<std::vector<TFabPoint>> chains = fab::AreaChains(moved);
        const int group = chains.size() > 1 ? nextGroup_++ : -1;
        for (const std::vector<TFabPoint>& chain : chains) {
            TFabItem piece = item;
            piece.kind = TFabItem::Kind::Area;
            piece.chain = chain;
            piece.group = group;
            Emit(std::move(piece));
        }
        return;
    }
    if (a.w <= 0 || (a.kind != 'C' && a.kind != 'P' && a.h <= 0)) return;  // a flash of nothing
    if (a.kind == 'C' || (a.kind == 'O' && a.w == a.h)) {
        item.kind = TFabItem::Kind::Circle;
        item.width = a.w;
    } else if (a.kind == 'R') {
        item.kind = TFabItem::Kind::Rect;
        item.width = a.w;
        item.height = a.h;
    } else if (a.kind == 'O') {
        item.kind = TFabItem::Kind::Area;
        const bool wide = a.w > a.h;
        const double r = std::min(a.w, a.h) / 2, d = std::fabs(a.w - a.h) / 2;
        const TFabPoint e1 = wide ? TFabPoint{at.x + d, at.y} : TFabPoint{at.x, at.y + d};
        const TFabPoint e0 = wide ? TFabPoint{at.x - d, at.y} : TFabPoint{at.x, at.y - d};
        const TFabPoint n{wide ? 0.0 : r, wide ? -r : 0.0};  // from the axis to the first side
        item.chain = {{e0.x + n.x, e0.y + n.y}};
        AppendLine(item.chain, {e1.x + n.x, e1.y + n.y});
        AppendArc(item.chain, e1, std::numbers::pi, {e1.x - n.x, e1.y - n.y});
        AppendLine(item.chain, {e0.x - n.x, e0.y - n.y});
        AppendArc(item.chain, e0, std::numbers::pi, {e0.x + n.x, e0.y + n.y});
    } else {  // P
        item.kind = TFabItem::Kind::Area;
        for (int v = 0; v <= a.vertices; ++v) {
            const double ang = (a.rotation + 360.0 * (v % a.vertices) / a.vertices) * std::numbers::pi / 180;
            const TFabPoint p{at.x + a.w / 2 * std::cos(ang), at.y + a.w / 2 * std::sin(ang)};
            if (v == 0)
                item.chain = {p};
            else
                AppendLine(item.chain, p);
        }
    }
    Emit(std::move(item));
}

void TGerberReader::CloseContour() {
    if (contour_.size() >= 4) {
        const TFabPoint first = contour_.front(), last = contour_.back();
        if (std::hypot(first.x - last.x, first.y - last.y) > 1e-9) {
            Warn("region contour not closed: closed with a straight edge");
            AppendLine(contour_, first);
        }
        contour_.back() = first;
        regionContours_.push_back(std::move(contour_));
    }
    contour_.clear();
}

void TGerberReader::EndRegion() {
    CloseContour();
    std::vector<std::vector<TFabPoint>> contours = std::move(regionContours_);
    regionContours_.clear();
    TFabItem item;
    item.kind = TFabItem::Kind::Area;
    item.clear = clear_;
    item.region = true;
    for (std::vector<TFabPoint>& contour : contours) {
        // Each contour is filled on its own; holes are cut into it. A contour
        // that winds round a hole the same way as round its outline leaves
        // the hole empty in other readers, but a filled path (nonzero rule)
        // would fill it: such a contour becomes its even-odd area, holes
        // joined by cuts. Plain contours keep their arcs.
        const ClipperLib::Paths flat{fab::FlattenChain(contour)};
        const double evenOdd = fab::CoveredArea(flat, ClipperLib::pftEvenOdd);
        const double nonZero = fab::CoveredArea(flat, ClipperLib::pftNonZero);
        if (std::fabs(nonZero - evenOdd) <= 1e-6 * std::max(1.0, std::fabs(nonZero))) {
            TFabItem piece = item;
            piece.chain = std::move(contour);
            Emit(std::move(piece));
            continue;
        }
        for (std::vector<TFabPoint>& chain : fab::AreaChains(flat, ClipperLib::pftEvenOdd)) {
            TFabItem piece = item;
            piece.chain = std::move(chain);
            Emit(std::move(piece));
        }
    }
}

void TGerberReader::Emit(TFabItem item) {
    std::vector<TFabItem>& sink = Sink();
    if (sink.size() >= kMaxFabItems) throw TFail{"more than 4 million objects"};
    sink.push_back(std::move(item));
}

// Regions drawn first, with clear ones among them (holes written as clear
// regions), are combined into filled areas with holes: the same picture
// without cut-out objects, so the areas stay plain filled paths. Each dark
// contour stays a piece of its own and a clear one cuts only the pieces its
// bounds meet, so a layer of many small shapes costs no more than its shapes.
void CombineLeadingRegions(std::vector<TFabItem>& items) {
    std::size_t end = 0;
    bool clear = false;
    for (; end < items.size() && items[end].region; ++end)
        if (items[end].clear) clear = true;
    if (!clear) return;
    struct TPiece {
        ClipperLib::Paths shape;
        ClipperLib::IntRect bounds;
    };
    const auto boundsOf = [](const ClipperLib::Paths& shape) {
        ClipperLib::IntRect r{0, 0, -1, -1};
        bool first = true;
        for (const ClipperLib::Path& path : shape)
            for (const ClipperLib::IntPoint& p : path) {
                if (first || p.X < r.left) r.left = p.X;
                if (first || p.X > r.right) r.right = p.X;
                if (first || p.Y < r.top) r.top = p.Y;
                if (first || p.Y > r.bottom) r.bottom = p.Y;
                first = false;
            }
        return r;
    };
    std::vector<TPiece> pieces;
    for (std::size_t k = 0; k < end; ++k) {
        ClipperLib::Paths contour{fab::FlattenChain(items[k].chain)};
        const ClipperLib::IntRect b = boundsOf(contour);
        if (!items[k].clear) {
            pieces.push_back({std::move(contour), b});
            continue;
        }
        for (TPiece& piece : pieces) {
            const ClipperLib::IntRect& q = piece.bounds;
            if (q.right < b.left || b.right < q.left || q.bottom < b.top || b.bottom < q.top) continue;
            fab::Combine(piece.shape, contour, false);
        }
    }
    std::vector<TFabItem> combined;
    for (const TPiece& piece : pieces)
        for (std::vector<TFabPoint>& chain : fab::AreaChains(piece.shape)) {
            TFabItem item;
            item.kind = TFabItem::Kind::Area;
            item.region = true;
            item.chain = std::move(chain);
            combined.push_back(std::move(item));
        }
    items.erase(items.begin(), items.begin() + std::ptrdiff_t(end));
    items.insert(items.begin(), std::make_move_iterator(combined.begin()),
                 std::make_move_iterator(combined.end()));
}

}  // namespace

TFabKind DetectFabKind(std::string_view bytes) {
    // Every Gerber command ends in '*'; a drill file has none, and has a
    // header (M48) or a tool with its size (T1C0.8) near its start.
    const std::string_view head = bytes.substr(0, 1 << 16);
    if (head.find('*') != std::string_view::npos) return TFabKind::Gerber;
    std::size_t i = 0;
    for (int lines = 0; i < head.size() && lines < 200; ++lines) {
        const std::size_t end = std::min(head.find('\n', i), head.size());
        const std::string line = Trim(head.substr(i, end - i));
        i = end + 1;
        if (line.substr(0, 3) == "M48") return TFabKind::Excellon;
        if (line.size() > 2 && line[0] == 'T' && std::isdigit((unsigned char)line[1]) &&
            line.find('C') != std::string::npos)
            return TFabKind::Excellon;
    }
    return TFabKind::Gerber;
}

bool ReadGerber(std::string_view bytes, const std::string& name, TFabPicture& picture, std::string& error) {
    picture = TFabPicture();
    if (bytes.size() > kMaxFabBytes) {
        error = name + ": " + std::to_string(bytes.size() >> 20) + " MB is more than a Gerber file of " +
                std::to_string(kMaxFabBytes >> 20) + " MB: refused";
        return false;
    }
    TGerberReader reader(bytes, name, picture);
    try {
        reader.Run();
        CombineLeadingRegions(picture.items);
    } catch (const TFail& fail) {
        error = reader.Where() + fail.what;
        picture = TFabPicture();
        return false;
    } catch (const std::bad_alloc&) {
        error = reader.Where() + "out of memory";
        picture = TFabPicture();
        return false;
    }
    if (picture.items.empty()) picture.warnings.push_back(name + ": the file draws nothing");
    return true;
}
