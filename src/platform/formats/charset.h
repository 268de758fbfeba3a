// Character sets: ISO-8859-1, Amiga-1251 and UTF-8 conversion, letter case
// folding as the Amiga's locale does it for ISO-8859-1, and the IANA numbers
// (MIBenum) of the sets a catalog may name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Character sets by IANA MIBenum, as a catalog's CSET chunk names them.
constexpr std::uint32_t CODESET_DEFAULT = 0;  // ISO-8859-1, the Amiga's own set
constexpr std::uint32_t CODESET_ASCII = 3;
constexpr std::uint32_t CODESET_LATIN1 = 4;
constexpr std::uint32_t CODESET_UTF8 = 106;
constexpr std::uint32_t CODESET_AMIGA1251 = 2104;

// The name of the set ("ISO-8859-2", "windows-1251", ...) as a converter knows
// it (Amiga-1251 only Amiga1251ToUtf8), or null for a set that has none here.
const char *CodesetName(std::uint32_t mibEnum);

// ISO-8859-1 text as UTF-8.
std::string Latin1ToUtf8(std::string_view text);
// Amiga-1251 text, a set no converter knows, as UTF-8.
std::string Amiga1251ToUtf8(std::string_view text);
// UTF-8 text as ISO-8859-1; characters it lacks, and bytes that are no UTF-8,
// become '?'.
std::string Utf8ToLatin1(std::string_view text);
// Whether text is well-formed UTF-8 (no overlong forms, surrogates or values
// beyond U+10FFFF).
bool IsUtf8(std::string_view text);
// The length in bytes of the UTF-8 character text starts with, 0 when text does
// not start with a well-formed one.
std::size_t Utf8CharLength(std::string_view text);

// The upper-case form of an ISO-8859-1 character: a-z and the accented small
// letters but the German sharp s and y with diaeresis, which have none in the set.
unsigned char FoldLatin1(unsigned char c);
// The text with its ASCII letters in lower case; other bytes (UTF-8 among them)
// as they are.
std::string AsciiLower(std::string_view text);
// Whether two texts are equal without regard to the letter case of ASCII letters.
bool EqualNoCaseAscii(std::string_view a, std::string_view b);
// UTF-8 text with its small letters in upper case as FoldLatin1 folds them: a-z
// and U+00E0 to U+00FE but U+00F7; other characters and stray bytes as they are.
std::string FoldUtf8Latin1(std::string_view text);
// Compares at most n characters of two ISO-8859-1 texts without regard to letter
// case, as strncmp does: <0, 0 or >0.
int CompareNoCase(const char *a, const char *b, std::size_t n);
// The value of a tooltype ("KEY=value", or a bare "KEY" whose value is empty)
// when its key is key without regard to letter case, else null.
const char *ToolTypeValue(const char *toolType, const char *key);
