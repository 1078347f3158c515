// Field splitting, the three lenient number conversions and the one number
// formatter every window uses. Texts are UTF-8 in memory; files are
// Windows-1252 (see DecodeFileText / EncodeFileText).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

constexpr int MaxLineFields = 10;
constexpr double UnreadableValue = 1e-16;  // a coordinate field that is not a number

// Fields 1..10 of a line are fields[0..9]; missing ones are "". Only the blank
// (character 32) separates; tabs stay inside a field. Fields past the tenth
// are dropped.
using LineFields = std::array<std::string, MaxLineFields>;
LineFields SplitFields(std::string_view line);

std::string TrimTrailingChar(std::string_view s, char c);
// The first "," of the text becomes "." (what the windows do before reading).
std::string NormalizeDecimalText(std::string_view s);

// Strict real: blanks, sign, digits with one ".", optional exponent; the whole
// field must be consumed, else UnreadableValue. "." alone is 0. A value that
// does not fit a real (1e5000) is unreadable too. `readable`, when given,
// tells whether the text was a number (so a written 1e-16 is told apart).
double ParseReal(std::string_view text, bool* readable = nullptr);

// Lenient integer: blanks, an optional sign, then digits ("$", "x", "X",
// "0x" read hex digits). Digits running to the end give the signed value;
// another character stops them and gives the digits' value without the sign.
// "12.7" -> 12, "-12.5" -> 12, "-12" -> -12, "?" -> 0, "" -> 0. The value
// saturates at the long long limits.
long long ParseInt(std::string_view text);

// Lenient real for edit and cell texts: the value as written when the whole
// text is a number, 0 for "", otherwise the whole number made of every digit
// read before the stop ("12,5" -> 12, "-3,5" -> 3, "1.25x" -> 125). Never
// infinite: an overflowing text gives the unreadable-digits rule's value
// clamped to the largest finite long double.
long double TextToReal(std::string_view text);

// A number typed in a field or a cell, read as an Italian means it: a
// decimal comma is the point ("0,01" is 0.01); blanks around it are allowed.
// The value is TextToReal's of the same text with the point. nullopt when
// the text is empty, is not wholly one number, or does not fit a real.
std::optional<long double> ReadTypedNumber(std::string_view text);

// Fixed-point text with `decimals` decimals after rounding to `precision`
// significant digits, "." as separator. When the integer part needs more than
// `precision` digits the exponent form is used: 1.23457E6, 7E6, 1.5E-7 never
// arises from the fixed form (small values show as 0.000). No "-0".
std::string FormatFixed(long double value, int precision, int decimals);

// The precision FormatFixed needs to show `value` with all its `decimals`
// decimals: `minimum`, or more when the integer part needs it (national-grid
// coordinates have seven digits before the point), at most 18, what an
// extended real holds reliably. Beyond that the exponent form shows.
int PrecisionKeepingDecimals(long double value, int minimum, int decimals);

// The decimals that show `value` with `significant` significant digits or
// more: `decimals`, or more where a small value would keep fewer, at most 18.
// 0 and non-finite values keep `decimals`.
int DecimalsKeepingSignificant(long double value, int decimals, int significant);

// A fixed-width real field: FormatFixed with 18 significant digits (what an
// extended real holds reliably), right-aligned by leading blanks in a field of
// `width` characters; a longer text is kept whole.
std::string FormatFixedField(long double value, int width, int decimals);

// Windows-1252 is the text of every file the program writes. A file that is
// valid UTF-8 (BOM or not; the BOM is dropped) reads as UTF-8, anything else
// as Windows-1252. The five bytes the code page leaves undefined (81, 8D, 8F,
// 90, 9D) become the C1 controls U+0081 … U+009D, so every byte round-trips.
std::string DecodeFileText(std::string_view bytes);
// The same with the choice already made on the whole file: UTF-8 (a leading
// BOM dropped) or Windows-1252.
std::string DecodeFileText(std::string_view bytes, bool utf8);

// Tells whether bytes fed in pieces are valid UTF-8 as a whole; a character
// may straddle two pieces.
class Utf8Check {
public:
    void Feed(std::string_view piece);
    bool Valid() const { return valid_ && pending_.empty(); }

private:
    std::string pending_;  // an unfinished sequence at the end of the last piece
    bool valid_ = true;
};
// UTF-8 -> Windows-1252; a character the code page lacks becomes "?".
std::string EncodeFileText(std::string_view utf8);
