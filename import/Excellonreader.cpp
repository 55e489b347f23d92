// The Excellon reader: a header (M48 ... % or M95) with the unit, the zero
// format and the tool table, then a body of tool changes, hits and G85 slots.

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <numbers>
#include <optional>
#include <string>

#include "import/Fabgeometry.h"
#include "import/Fabreader.h"

namespace {

struct TFail {
    std::string what;
};

class TExcellonReader {
public:
    TExcellonReader(std::string_view bytes, std::string name, TFabPicture& picture)
        : bytes_(bytes), name_(std::move(name)), picture_(picture) {}

    void Run() {
        std::size_t i = 0;
        while (i < bytes_.size()) {
            const std::size_t end = std::min(bytes_.find('\n', i), bytes_.size());
            std::string line;
            for (std::size_t k = i; k < end; ++k)
                if (!std::isspace((unsigned char)bytes_[k])) line += bytes_[k];
            i = end + 1;
            command_ = line.substr(0, 40);
            if (!line.empty() && line[0] != ';') Line(line);
            if (done_) return;
            ++line_;
        }
    }

    std::string Where() const { return name_ + ":" + std::to_string(line_) + ": " + command_ + ": "; }

private:
    void Line(const std::string& line) {
        if (line == "M48") {
            header_ = true;
            return;
        }
        if (line == "%" || line == "M95") {
            header_ = false;
            return;
        }
        if (line == "M30" || line == "M00") {
            done_ = true;
            return;
        }
        if (line.rfind("METRIC", 0) == 0 || line.rfind("INCH", 0) == 0) {
            metric_ = line[0] == 'M';
            integer_ = metric_ ? 3 : 2;
            decimals_ = metric_ ? 3 : 4;
            if (line.find(",LZ") != std::string::npos) leadingKept_ = true;
            if (line.find(",TZ") != std::string::npos) leadingKept_ = false;
            // An explicit digit format such as METRIC,LZ,000.000.
            const std::size_t dot = line.find('.');
            if (dot != std::string::npos) {
                std::size_t a = dot;
                while (a > 0 && line[a - 1] == '0') --a;
                std::size_t b = dot + 1;
                while (b < line.size() && line[b] == '0') ++b;
                if (dot - a > 0 && b - dot - 1 > 0) {
                    integer_ = int(dot - a);
                    decimals_ = int(b - dot - 1);
                }
            }
            return;
        }
        if (line == "M71" || line == "M72") {
            metric_ = line == "M71";
            return;
        }
        if (line == "G90" || line == "G05" || line == "G81" || line == "M47" || line.rfind("FMAT", 0) == 0 ||
            line.rfind("VER", 0) == 0 || line.rfind("ICI", 0) == 0 || line == "ATC" || line == "G93X0Y0" ||
            line.rfind("OF", 0) == 0 || line == "DETECT,ON" || line == "M70" || line == "M45")
            return;
        if (line == "G91") {
            incremental_ = true;
            Warn("incremental coordinates");
            return;
        }
        if (line[0] == 'T') return Tool(line);
        if (header_) {
            Warn("header line ignored");
            return;
        }
        if (line[0] == 'X' || line[0] == 'Y') return Hit(line);
        if (line.rfind("G00", 0) == 0 || line.rfind("G01", 0) == 0 || line == "M15" || line == "M16" ||
            line == "M17")
            throw TFail{"routed paths are not supported"};
        if (line[0] == 'G' || line[0] == 'M') {
            Warn("command ignored");
            return;
        }
        throw TFail{"unknown command"};
    }

    void Tool(const std::string& line) {
        std::size_t k = 1;
        while (k < line.size() && std::isdigit((unsigned char)line[k])) ++k;
        if (k == 1 || k > 10) throw TFail{"tool needs a number"};
        const int tool = std::stoi(line.substr(1, k - 1));
        const std::size_t c = line.find('C', k);
        if (c != std::string::npos) {
            std::size_t e = c + 1;
            while (e < line.size() && (std::isdigit((unsigned char)line[e]) || line[e] == '.')) ++e;
            double d = 0;
            try {
                d = std::stod(line.substr(c + 1, e - c - 1));
            } catch (...) {
                throw TFail{"bad tool diameter"};
            }
            d *= metric_ ? 1.0 : 25.4;
            if (!(d >= 0 && d < 1000)) throw TFail{"tool diameter out of range"};
            tools_[tool] = d;
            if (!header_) tool_ = tool;
            return;
        }
        if (tool == 0) {
            tool_ = -1;
            return;
        }
        if (tools_.find(tool) == tools_.end())
            throw TFail{"tool T" + std::to_string(tool) + " is not defined"};
        tool_ = tool;
    }

    double Number(const std::string& digits) const {
        if (digits.empty() || digits.size() > 20) throw TFail{"bad coordinate"};
        double value = 0;
        if (digits.find('.') != std::string::npos) {
            try {
                value = std::stod(digits);
            } catch (...) {
                throw TFail{"bad coordinate"};
            }
        } else {
            bool negative = false;
            std::string d = digits;
            if (d[0] == '+' || d[0] == '-') {
                negative = d[0] == '-';
                d.erase(0, 1);
            }
            if (d.empty() || !std::all_of(d.begin(), d.end(), ::isdigit)) throw TFail{"bad coordinate"};
            // Leading zeros kept: the trailing ones were left out.
            if (leadingKept_ && int(d.size()) < integer_ + decimals_)
                d.append(std::size_t(integer_ + decimals_) - d.size(), '0');
            value = std::stod(d) / std::pow(10.0, decimals_);
            if (negative) value = -value;
        }
        const double mm = value * (metric_ ? 1.0 : 25.4);
        if (!(std::fabs(mm) <= kMaxFabCoordinateMm)) throw TFail{"coordinate more than 10 m from the origin"};
        return mm;
    }

    // X..Y.. (either may be missing: the last one holds), optionally G85X..Y.. for a slot.
    void Hit(const std::string& line) {
        const std::size_t g85 = line.find("G85");
        const TFabPoint a = Point(line.substr(0, g85));
        if (tool_ < 0) throw TFail{"hit before any tool was selected"};
        const double d = tools_[tool_];
        if (picture_.items.size() >= kMaxFabItems) throw TFail{"more than 4 million holes"};
        TFabItem item;
        if (g85 == std::string::npos) {
            item.kind = TFabItem::Kind::Circle;
            item.centre = a;
            item.width = d;
        } else {
            const TFabPoint b = Point(line.substr(g85 + 3));
            // The slot's area as a stadium path.
            const double len = std::hypot(b.x - a.x, b.y - a.y), r = d / 2;
            if (len < 1e-9) {
                item.kind = TFabItem::Kind::Circle;
                item.centre = a;
                item.width = d;
            } else {
                const TFabPoint n{-(b.y - a.y) / len * r, (b.x - a.x) / len * r};
                item.kind = TFabItem::Kind::Area;
                item.chain = {{a.x - n.x, a.y - n.y}};
                fab::AppendLine(item.chain, {b.x - n.x, b.y - n.y});
                fab::AppendArc(item.chain, b, std::numbers::pi, {b.x + n.x, b.y + n.y});
                fab::AppendLine(item.chain, {a.x + n.x, a.y + n.y});
                fab::AppendArc(item.chain, a, std::numbers::pi, {a.x - n.x, a.y - n.y});
                item.centre = a;
            }
        }
        if (d > 0) picture_.items.push_back(std::move(item));
    }

    TFabPoint Point(const std::string& text) {
        std::optional<double> x, y;
        std::size_t k = 0;
        while (k < text.size()) {
            const char letter = text[k++];
            std::size_t e = k;
            while (e < text.size() && (std::isdigit((unsigned char)text[e]) || text[e] == '.' ||
                                       text[e] == '-' || text[e] == '+'))
                ++e;
            const std::string v = text.substr(k, e - k);
            k = e;
            if (letter == 'X')
                x = Number(v);
            else if (letter == 'Y')
                y = Number(v);
            else
                throw TFail{std::string("unexpected ") + letter + " in a hit"};
        }
        if (incremental_) {
            if (x) point_.x += *x;
            if (y) point_.y += *y;
        } else {
            if (x) point_.x = *x;
            if (y) point_.y = *y;
        }
        if (!(std::fabs(point_.x) <= kMaxFabCoordinateMm) || !(std::fabs(point_.y) <= kMaxFabCoordinateMm))
            throw TFail{"coordinate more than 10 m from the origin"};
        return point_;
    }

    void Warn(const std::string& what) {
        if (picture_.warnings.size() < 50) picture_.warnings.push_back(Where() + what);
    }

    std::string_view bytes_;
    std::string name_;
    TFabPicture& picture_;
    int line_ = 1;
    std::string command_;
    bool header_ = false;
    bool done_ = false;
    bool metric_ = false;
    bool leadingKept_ = true;
    bool incremental_ = false;
    int integer_ = 2, decimals_ = 4;
    std::map<int, double> tools_;  // diameters in mm
    int tool_ = -1;
    TFabPoint point_;
};

}  // namespace

bool ReadExcellon(std::string_view bytes, const std::string& name, TFabPicture& picture, std::string& error) {
    picture = TFabPicture();
    picture.drill = true;
    if (bytes.size() > kMaxFabBytes) {
        error = name + ": " + std::to_string(bytes.size() >> 20) + " MB is more than a drill file of " +
                std::to_string(kMaxFabBytes >> 20) + " MB: refused";
        return false;
    }
    TExcellonReader reader(bytes, name, picture);
    try {
        reader.Run();
    } catch (const TFail& fail) {
        error = reader.Where() + fail.what;
        picture = TFabPicture();
        return false;
    } catch (const std::bad_alloc&) {
        error = reader.Where() + "out of memory";
        picture = TFabPicture();
        return false;
    }
    picture.drill = true;
    return true;
}
