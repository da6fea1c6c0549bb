#include "framework/core/Strings.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <type_traits>

namespace Kivo {
namespace {

int ToLower(char c)
{
    return std::tolower(static_cast<unsigned char>(c));
}

template <typename Unit>
bool IsNameUnit(Unit unit)
{
    auto u = static_cast<std::make_unsigned_t<Unit>>(unit);
    return u < 128 && (std::isalnum(static_cast<int>(u)) || u == '#');
}

template <typename S>
S XMLDecode(const S& s)
{
    constexpr size_t kMaxName = 8;
    S out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '&') {
            out += s[i];
            continue;
        }
        size_t end = i + 1;
        while (end < s.size() && end - i - 1 <= kMaxName && IsNameUnit(s[end]))
            ++end;
        if (end >= s.size() || s[end] != ';' || end - i - 1 > kMaxName) {
            out += s[i];
            continue;
        }
        std::string name;
        for (size_t k = i + 1; k < end; ++k)
            name += static_cast<char>(s[k]);
        char c = '&';
        if (name == "lt")
            c = '<';
        else if (name == "gt")
            c = '>';
        else if (name == "quot")
            c = '"';
        else if (name == "apos")
            c = '\'';
        else if (name == "nbsp")
            c = ' ';
        else if (name == "cr")
            c = '\n';
        out += static_cast<typename S::value_type>(c);
        i = end;
    }
    return out;
}

} // namespace

std::string StringToUpper(const std::string& s)
{
    std::string out = s;
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string StringToLower(const std::string& s)
{
    std::string out = s;
    for (char& c : out)
        c = static_cast<char>(ToLower(c));
    return out;
}

std::string UpperCaseCopy(const std::string& s)
{
    return StringToUpper(s);
}

std::string Trim(const std::string& s)
{
    size_t begin = 0;
    size_t end = s.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(s[begin])))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(s[end - 1])))
        --end;
    return s.substr(begin, end - begin);
}

int StrFindNoCase(const std::string& haystack, const std::string& needle)
{
    if (haystack.empty() || needle.size() > haystack.size())
        return -1;
    for (size_t i = 0; i + needle.size() <= haystack.size(); ++i) {
        size_t k = 0;
        while (k < needle.size() && ToLower(haystack[i + k]) == ToLower(needle[k]))
            ++k;
        if (k == needle.size())
            return static_cast<int>(i);
    }
    return -1;
}

bool StringToInt(const std::string& s, int& out)
{
    out = 0;
    if (s.empty())
        return false;
    size_t i = 0;
    bool negative = s[0] == '-';
    if (negative)
        i = 1;
    // Accumulated unsigned: an out-of-range text wraps instead of overflowing.
    uint32_t value = 0;
    uint32_t radix = 10;
    for (; i < s.size(); ++i) {
        char c = s[i];
        uint32_t digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<uint32_t>(c - '0');
        else if (radix == 16 && c >= 'a' && c <= 'f')
            digit = static_cast<uint32_t>(c - 'a' + 10);
        else if (radix == 16 && c >= 'A' && c <= 'F')
            digit = static_cast<uint32_t>(c - 'A' + 10);
        else if ((c == 'x' || c == 'X') && i == 1 && value == 0) {
            radix = 16;
            continue;
        } else {
            out = 0;
            return false;
        }
        value = value * radix + digit;
    }
    out = static_cast<int>(negative ? 0u - value : value);
    return true;
}

bool StringToDouble(const std::string& s, double& out)
{
    out = 0;
    if (s.empty())
        return false;
    size_t i = s[0] == '-' ? 1 : 0;
    double value = 0;
    for (; i < s.size() && s[i] != '.'; ++i) {
        if (s[i] < '0' || s[i] > '9') {
            out = 0;
            return false;
        }
        value = value * 10 + (s[i] - '0');
    }
    double weight = 0.1;
    for (++i; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') {
            out = 0;
            return false;
        }
        value += (s[i] - '0') * weight;
        weight /= 10;
    }
    out = s[0] == '-' ? -value : value;
    return true;
}

bool HexStringToUInt(const std::string& s, uint32_t& out)
{
    out = 0;
    for (char c : s) {
        uint32_t digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<uint32_t>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<uint32_t>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<uint32_t>(c - 'A' + 10);
        else
            return false;
        out = out * 16 + digit;
    }
    return true;
}

std::string CommaSeparate(int n)
{
    if (n < 0)
        return {};
    std::string digits = std::to_string(n);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return out;
}

std::string StrFormatV(const char* format, va_list args)
{
    char small[160];
    va_list again;
    va_copy(again, args);
    int n = std::vsnprintf(small, sizeof small, format, args);
    std::string out;
    if (n >= 0 && static_cast<size_t>(n) < sizeof small) {
        out.assign(small, static_cast<size_t>(n));
    } else if (n > 0) {
        out.resize(static_cast<size_t>(n));
        std::vsnprintf(out.data(), out.size() + 1, format, again);
    }
    va_end(again);
    return out;
}

std::string StrFormat(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string out = StrFormatV(format, args);
    va_end(args);
    return out;
}

std::wstring StringToWString(const std::string& s)
{
    std::wstring w;
    w.reserve(s.size());
    for (char c : s)
        w += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return w;
}

// The characters that Windows-1252 places at 0x80-0x9F, where Latin-1 has
// control codes; 0 marks the five bytes it leaves undefined.
constexpr char16_t kCp1252High[32] = { 0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030,
    0x0160, 0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122,
    0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178 };

std::string WStringToString(const std::wstring& w)
{
    std::string s;
    s.reserve(w.size());
    for (wchar_t c : w) {
        char byte = '?';
        if (c >= 0 && c <= 255) {
            byte = static_cast<char>(c);
        } else {
            for (int i = 0; i < 32; ++i)
                if (kCp1252High[i] == static_cast<char32_t>(c))
                    byte = static_cast<char>(0x80 + i);
        }
        s += byte;
    }
    return s;
}

std::string XMLDecodeString(const std::string& s)
{
    return XMLDecode(s);
}

std::wstring XMLDecodeWString(const std::wstring& w)
{
    return XMLDecode(w);
}

} // namespace Kivo
