#pragma once
// Text and number helpers. Narrow strings are bytes in Windows-1252; wide
// strings hold one code unit per character. Every helper returns a new
// value and fails by its return value only.
#include <cstdarg>
#include <cstdint>
#include <string>

namespace Kivo {

std::string StringToUpper(const std::string& s);
std::string StringToLower(const std::string& s);
std::string UpperCaseCopy(const std::string& s);
std::string Trim(const std::string& s);
// Index of the first case-insensitive occurrence, -1 when none (and for an
// empty haystack), 0 for an empty needle.
int StrFindNoCase(const std::string& haystack, const std::string& needle);

// Decimal, or hexadecimal after a leading "0x"/"0X"; an optional leading
// '-'. Any other byte gives 0 and false.
bool StringToInt(const std::string& s, int& out);
// Digits with an optional '-' and fraction; no '+', no exponent.
bool StringToDouble(const std::string& s, double& out);
bool HexStringToUInt(const std::string& s, uint32_t& out);
// 1234567 gives "1,234,567"; a negative number gives "".
std::string CommaSeparate(int n);
std::string StrFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string StrFormatV(const char* format, va_list args) __attribute__((format(printf, 1, 0)));

// Each byte becomes the code unit of the same value, and back: narrowing is
// the exact inverse of widening. A unit above 255 becomes its Windows-1252
// byte (U+20AC, the euro sign, gives 0x80), or '?' when there is none.
std::wstring StringToWString(const std::string& s);
std::string WStringToString(const std::wstring& w);

// Replaces the entities lt, gt, amp, quot, apos, nbsp (a space) and cr (a
// line feed). An entity is '&', a name of at most 8 letters, digits or '#',
// and ';'; an unknown name leaves a lone '&'. An '&' that starts no entity
// is copied as it stands.
std::string XMLDecodeString(const std::string& s);
std::wstring XMLDecodeWString(const std::wstring& w);

} // namespace Kivo
