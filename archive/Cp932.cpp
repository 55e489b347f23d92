#include "archive/Cp932.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>

namespace {

constexpr char32_t kEscapeBase = 0xF700;

// One converter per direction for the life of the program (one thread uses them).
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        // iconv's error value is (iconv_t)-1.
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);  // NOLINT(performance-no-int-to-ptr)
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts the whole input; false when any part of it does not convert.
    bool Convert(std::string_view in, std::string& out) {
        out.clear();
        if (cd_ == reinterpret_cast<iconv_t>(-1)) return false;  // NOLINT(performance-no-int-to-ptr)
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        char buf[64];
        while (srcLeft > 0) {
            char* dst = buf;
            std::size_t dstLeft = sizeof buf;
            const std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buf, std::size_t(dst - buf));
            if (r == std::size_t(-1) && errno != E2BIG) return false;
        }
        char* dst = buf;
        std::size_t dstLeft = sizeof buf;
        if (iconv(cd_, nullptr, nullptr, &dst, &dstLeft) == std::size_t(-1)) return false;
        out.append(buf, std::size_t(dst - buf));
        return true;
    }

private:
    iconv_t cd_;
};

Converter& ToUtf8() {
    static Converter c("UTF-8", "CP932");
    return c;
}

Converter& FromUtf8() {
    static Converter c("CP932", "UTF-8");
    return c;
}

// Length of the UTF-8 sequence at s[i] and its code point; 0 when invalid.
std::size_t NextUtf8(std::string_view s, std::size_t i, char32_t& cp) {
    const auto b0 = std::uint8_t(s[i]);
    std::size_t len = b0 < 0x80 ? 1 : (b0 >> 5) == 0x6 ? 2 : (b0 >> 4) == 0xE ? 3 : (b0 >> 3) == 0x1E ? 4 : 0;
    if (len == 0 || i + len > s.size()) return 0;
    cp = len == 1 ? b0 : len == 2 ? (b0 & 0x1F) : len == 3 ? (b0 & 0x0F) : (b0 & 0x07);
    for (std::size_t k = 1; k < len; ++k) {
        const auto b = std::uint8_t(s[i + k]);
        if ((b >> 6) != 0x2) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    return len;
}

bool IsLeadByte(std::uint8_t b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

}  // namespace

void AppendUtf8(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

std::string DecodeCp932(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    std::string decoded, again;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto b = std::uint8_t(bytes[i]);
        if (b < 0x80) {
            out += char(b);
            ++i;
            continue;
        }
        const std::size_t len = IsLeadByte(b) && i + 1 < bytes.size() ? 2 : 1;
        const std::string_view unit = bytes.substr(i, len);
        // Keep a character only when it encodes back to the same bytes (CP932
        // has a few duplicate codes that would otherwise be rewritten on save).
        if (ToUtf8().Convert(unit, decoded) && !decoded.empty() && FromUtf8().Convert(decoded, again) &&
            again == unit) {
            out += decoded;
            i += len;
        } else {
            AppendUtf8(kEscapeBase + b, out);
            ++i;
        }
    }
    return out;
}

bool EncodeCp932(std::string_view utf8, std::string& out) {
    out.clear();
    out.reserve(utf8.size());
    bool ok = true;
    std::string piece;
    std::size_t i = 0;
    while (i < utf8.size()) {
        char32_t cp = 0;
        const std::size_t len = NextUtf8(utf8, i, cp);
        if (len == 0) {
            out += '?';
            ok = false;
            ++i;
            continue;
        }
        if (cp < 0x80) {
            out += char(cp);
        } else if (cp >= kEscapeBase + 0x80 && cp <= kEscapeBase + 0xFF) {
            out += char(cp - kEscapeBase);
        } else if (FromUtf8().Convert(utf8.substr(i, len), piece) && !piece.empty()) {
            out += piece;
        } else {
            out += '?';
            ok = false;
        }
        i += len;
    }
    return ok;
}

bool CanEncodeCp932(std::string_view utf8) {
    std::string out;
    return EncodeCp932(utf8, out);
}
