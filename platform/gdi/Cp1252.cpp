#include "platform/gdi/Cp1252.h"

namespace platform {

namespace {

constexpr uint16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

uint32_t Cp1252ToUnicode(uint8_t byte) { return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : byte; }

std::string Cp1252ToUtf8(const std::string& text)
{
    std::string out;
    for (unsigned char b : text) {
        const uint32_t u = Cp1252ToUnicode(b);
        if (u < 0x80) {
            out += static_cast<char>(u);
        } else if (u < 0x800) {
            out += static_cast<char>(0xC0 | u >> 6);
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | u >> 12);
            out += static_cast<char>(0x80 | (u >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

namespace {

int UnicodeToCp1252(uint32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return int(cp);
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] == cp)
            return 0x80 + i;
    return -1;
}

} // namespace

std::string Utf8ToCp1252(const std::string& utf8)
{
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        const uint8_t c = uint8_t(utf8[i]);
        const size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (len == 0 || i + len > utf8.size()) {
            ++i;
            continue;
        }
        uint32_t cp = len == 1 ? c : c & (0x7F >> len);
        bool valid = true;
        for (size_t k = 1; k < len; ++k) {
            const uint8_t cc = uint8_t(utf8[i + k]);
            valid = valid && (cc & 0xC0) == 0x80;
            cp = (cp << 6) | (cc & 0x3F);
        }
        i += valid ? len : 1;
        const int b = valid ? UnicodeToCp1252(cp) : -1;
        if (b >= 0)
            out += char(b);
    }
    return out;
}

} // namespace platform
