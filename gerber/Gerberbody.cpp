#include "gerber/Gerberbody.h"

#include <charconv>
#include <cmath>

namespace {

void AppendInt(std::string& out, std::int64_t value) {
    char buf[24];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    if (ec == std::errc()) out.append(buf, end);
}

}  // namespace

void TGerberBody::Select(int dcode) {
    text_ += "G54D";
    AppendInt(text_, dcode);
    text_ += "*\r\n";
}

std::int64_t TGerberBody::Convert(double thousandths) {
    const double v = std::floor(thousandths);
    if (!(std::fabs(v) <= double(kMaxCoordinate))) {
        outOfRange_ = true;
        return 0;
    }
    const auto n = static_cast<std::int64_t>(v);
    largest_ = std::max(largest_, n < 0 ? -n : n);
    return n;
}

void TGerberBody::Coordinates(double x, double y, const char* code) {
    text_ += 'X';
    AppendInt(text_, Convert((x + offsetX_) * 100.0));
    text_ += 'Y';
    AppendInt(text_, Convert((offsetY_ - y) * 100.0));
    text_ += code;
}
