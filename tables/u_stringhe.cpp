#include "tables/u_stringhe.h"

#include <algorithm>
#include <cassert>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <system_error>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

size_t SkipBlanks(std::string_view s, size_t i) {
    while (i < s.size() && s[i] == ' ') ++i;
    return i;
}

// The pieces of a decimal number as far as it could be scanned: sign,
// mantissa digits with an optional point, exponent. `end` is where the scan
// stopped; the text is a number only when that is its end.
struct DecimalScan {
    bool negative = false;
    std::string mantissa;  // digits and at most one '.'
    bool mantissaHasDigit = false;
    bool hasExponent = false;
    bool exponentNegative = false;
    std::string exponentDigits;
    std::string allDigits;  // every digit met, in order
    size_t end = 0;
};

// Scans sign, digits with at most one '.', and an exponent. The scan stops
// at the first character that cannot continue the number.
DecimalScan ScanDecimal(std::string_view s) {
    DecimalScan d;
    size_t i = SkipBlanks(s, 0);
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        d.negative = s[i] == '-';
        ++i;
    }
    bool seenPoint = false;
    while (i < s.size()) {
        char c = s[i];
        if (IsDigit(c)) {
            d.mantissa += c;
            d.allDigits += c;
            d.mantissaHasDigit = true;
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
            d.mantissa += c;
        } else {
            break;
        }
        ++i;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        d.hasExponent = true;
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            d.exponentNegative = s[i] == '-';
            ++i;
        }
        while (i < s.size() && IsDigit(s[i])) {
            d.exponentDigits += s[i];
            d.allDigits += s[i];
            ++i;
        }
    }
    d.end = i;
    return d;
}

// Decimal exponent of the leading significant digit of mantissa·10^exp
// (LLONG_MIN when every digit is zero). It saturates far outside any real's
// range, which is all that is needed to tell overflow from underflow.
long long LeadingExponent(const DecimalScan& d) {
    long long exp = 0;
    for (char c : d.exponentDigits) {
        exp = exp * 10 + (c - '0');
        if (exp > 1000000000LL) break;
    }
    if (d.exponentNegative) exp = -exp;
    size_t pointAt = d.mantissa.find('.');
    long long position =
        static_cast<long long>(pointAt == std::string::npos ? d.mantissa.size() : pointAt) - 1;
    for (char c : d.mantissa) {
        if (c == '.') continue;
        if (c != '0') return position + exp;
        --position;
    }
    return LLONG_MIN;
}

// Converts a well-formed scan to a real of type T. Returns false when the
// value does not fit T (overflow); underflow gives 0 or a subnormal value.
template <typename T>
bool ConvertScan(const DecimalScan& d, T& out) {
    if (!d.mantissaHasDigit) {
        out = 0;
        return true;
    }
    std::string clean = d.mantissa;
    if (d.hasExponent && !d.exponentDigits.empty()) {
        clean += d.exponentNegative ? "e-" : "e";
        clean += d.exponentDigits;
    }
    T value = 0;
    auto res = std::from_chars(clean.data(), clean.data() + clean.size(), value,
                               std::chars_format::general);
    if (res.ec == std::errc::result_out_of_range) {
        if (LeadingExponent(d) > 0) return false;
        value = 0;  // underflow
    } else if (res.ec != std::errc() || res.ptr != clean.data() + clean.size()) {
        return false;
    }
    if (!std::isfinite(value)) return false;
    out = d.negative ? -value : value;
    if (out == 0) out = 0;  // no negative zero
    return true;
}

// The number made of the given decimal digits, clamped to the largest
// finite long double.
long double DigitsValue(const std::string& digits) {
    if (digits.empty()) return 0;
    long double v = 0;
    auto res =
        std::from_chars(digits.data(), digits.data() + digits.size(), v, std::chars_format::fixed);
    if (res.ec == std::errc::result_out_of_range || !std::isfinite(v)) return LDBL_MAX;
    return v;
}

}  // namespace

LineFields SplitFields(std::string_view line) {
    LineFields fields;
    int count = 0;
    std::string_view rest = line;
    while (!rest.empty()) {
        size_t start = SkipBlanks(rest, 0);
        rest.remove_prefix(start);
        if (rest.empty()) break;
        size_t blank = rest.find(' ');
        std::string_view piece = rest.substr(0, blank);
        rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
        // Only the first ten fields matter to any layout; the rest are dropped.
        if (count < MaxLineFields) fields[count++] = std::string(piece);
    }
    return fields;
}

std::string TrimTrailingChar(std::string_view s, char c) {
    size_t n = s.size();
    while (n > 0 && s[n - 1] == c) --n;
    return std::string(s.substr(0, n));
}

std::string NormalizeDecimalText(std::string_view s) {
    std::string out(s);
    size_t at = out.find(',');
    if (at != std::string::npos) out[at] = '.';
    return out;
}

double ParseReal(std::string_view text, bool* readable) {
    if (readable) *readable = false;
    DecimalScan d = ScanDecimal(text);
    if (d.end != text.size()) return UnreadableValue;
    // A mantissa is needed ("." alone counts as one and reads as 0); an
    // exponent needs its digits.
    if (d.mantissa.empty()) return UnreadableValue;
    if (d.hasExponent && d.exponentDigits.empty()) return UnreadableValue;
    double value = 0;
    if (!ConvertScan(d, value)) return UnreadableValue;
    if (readable) *readable = true;
    return value;
}

long long ParseInt(std::string_view text) {
    size_t i = SkipBlanks(text, 0);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && text[i + 1] == 'x') {
        base = 16;
        i += 2;
    }
    // The magnitude saturates at 2^63 so that both LLONG_MIN and LLONG_MAX
    // are reachable and nothing overflows.
    constexpr uint64_t limit = uint64_t{1} << 63;
    uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        int digit = base == 16 ? HexValue(text[i]) : (IsDigit(text[i]) ? text[i] - '0' : -1);
        if (digit < 0) break;
        if (magnitude > (limit - digit) / base)
            magnitude = limit;
        else
            magnitude = magnitude * base + digit;
    }
    if (i == text.size() && negative)
        return magnitude >= limit ? LLONG_MIN : -static_cast<long long>(magnitude);
    // Stopped by another character: the digits read so far, without the sign.
    return magnitude >= limit ? LLONG_MAX : static_cast<long long>(magnitude);
}

long double TextToReal(std::string_view text) {
    DecimalScan d = ScanDecimal(text);
    bool complete = d.end == text.size() && !(d.hasExponent && d.exponentDigits.empty());
    if (complete) {
        long double value = 0;
        if (ConvertScan(d, value)) return value;
    }
    return DigitsValue(d.allDigits);
}

std::optional<long double> ReadTypedNumber(std::string_view text) {
    // Blanks typed after the number are no part of it.
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    const std::string point = NormalizeDecimalText(text);
    bool readable = false;
    ParseReal(point, &readable);
    // "." alone reads as 0 in a table file, but nobody types it for a number.
    if (!readable ||
        std::none_of(point.begin(), point.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return TextToReal(point);
}

std::string FormatFixed(long double value, int precision, int decimals) {
    assert(std::isfinite(value));
    assert(precision >= 1);
    if (precision < 1) precision = 1;
    if (precision > 40) precision = 40;
    if (decimals < 0) decimals = 0;
    if (!std::isfinite(value)) value = 0;

    // Round to `precision` significant digits: d.ddd…e±x.
    char buf[128];
    auto res = std::to_chars(buf, buf + sizeof buf, value < 0 ? -value : value,
                             std::chars_format::scientific, precision - 1);
    std::string sci(buf, res.ptr);
    size_t ePos = sci.find('e');
    std::string digits;
    for (size_t k = 0; k < ePos; ++k)
        if (IsDigit(sci[k])) digits += sci[k];
    int exp = 0;
    std::from_chars(sci.data() + ePos + 1 + (sci[ePos + 1] == '+' ? 1 : 0), sci.data() + sci.size(),
                    exp);
    bool negative = value < 0;
    bool zero = digits.find_first_not_of('0') == std::string::npos;
    if (zero) exp = 0;

    if (exp + 1 > precision) {
        // The integer part needs more digits than the precision: exponent form.
        std::string mant = TrimTrailingChar(digits, '0');
        std::string out = negative ? "-" : "";
        out += mant[0];
        if (mant.size() > 1) {
            out += '.';
            out += mant.substr(1);
        }
        out += 'E';
        out += std::to_string(exp);
        return out;
    }

    // Fixed form. Place the digits around the point: intPart . fracPart.
    std::string intPart, fracPart;
    if (exp >= 0) {
        intPart = digits.substr(0, exp + 1);
        fracPart = digits.substr(exp + 1);
    } else {
        intPart = "0";
        fracPart = std::string(-exp - 1, '0') + digits;
    }
    if (static_cast<int>(fracPart.size()) <= decimals) {
        fracPart.append(decimals - fracPart.size(), '0');
    } else {
        // Second rounding at `decimals`, half away from zero on the decimal digits.
        bool roundUp = fracPart[decimals] >= '5';
        fracPart.resize(decimals);
        if (roundUp) {
            std::string whole = intPart + fracPart;
            int k = static_cast<int>(whole.size()) - 1;
            while (k >= 0 && whole[k] == '9') whole[k--] = '0';
            if (k < 0)
                whole.insert(whole.begin(), '1');
            else
                ++whole[k];
            intPart = whole.substr(0, whole.size() - decimals);
            fracPart = whole.substr(whole.size() - decimals);
        }
    }
    size_t nz = intPart.find_first_not_of('0');
    intPart = nz == std::string::npos ? "0" : intPart.substr(nz);
    bool allZero = intPart == "0" && fracPart.find_first_not_of('0') == std::string::npos;
    std::string out = negative && !allZero ? "-" : "";
    out += intPart;
    if (decimals > 0) {
        out += '.';
        out += fracPart;
    }
    return out;
}

int PrecisionKeepingDecimals(long double value, int minimum, int decimals) {
    constexpr int kMostReliable = 18;
    // Half a unit of the last decimal first: 9999999.9996 shows as 10000000.000.
    const long double magnitude = std::fabs(value) + 0.5L * std::pow(10.0L, -decimals);
    int digits = 1;
    for (long double limit = 10; magnitude >= limit && digits <= kMostReliable; limit *= 10)
        ++digits;
    return std::max(minimum, std::min(digits + std::max(decimals, 0), kMostReliable));
}

int DecimalsKeepingSignificant(long double value, int decimals, int significant) {
    constexpr int kMostDecimals = 18;
    const long double magnitude = std::fabs(value);
    if (magnitude == 0 || !std::isfinite(magnitude)) return decimals;
    // The leading digit's place: 0 for 1.x, -2 for 0.00x.
    const int lead = static_cast<int>(std::floor(std::log10(magnitude)));
    return std::clamp(significant - 1 - lead, decimals, std::max(decimals, kMostDecimals));
}

std::string FormatFixedField(long double value, int width, int decimals) {
    std::string text = FormatFixed(value, 18, decimals);
    if (static_cast<int>(text.size()) < width) text.insert(0, width - text.size(), ' ');
    return text;
}

// ---------------------------------------------------------------------------
// Windows-1252. The five bytes the code page leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) map to the C1 controls of the same number, so that any
// byte sequence survives a decode and encode unchanged.

namespace {

constexpr std::array<char32_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 sequence at s[i]; returns its length, or 0 when the bytes
// there are not a valid (shortest-form, non-surrogate) sequence.
size_t DecodeUtf8At(std::string_view s, size_t i, char32_t& cp) {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char b0 = byte(i);
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    size_t len;
    char32_t min;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > s.size()) return 0;
    for (size_t k = 1; k < len; ++k) {
        unsigned char b = byte(i + k);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

bool IsValidUtf8(std::string_view s) {
    char32_t cp;
    for (size_t i = 0; i < s.size();) {
        size_t len = DecodeUtf8At(s, i, cp);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

}  // namespace

std::string DecodeFileText(std::string_view bytes) {
    return DecodeFileText(bytes, IsValidUtf8(bytes));
}

std::string DecodeFileText(std::string_view bytes, bool utf8) {
    constexpr std::string_view bom = "\xEF\xBB\xBF";
    if (utf8) return std::string(bytes.substr(bytes.substr(0, bom.size()) == bom ? bom.size() : 0));
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (char ch : bytes) {
        auto b = static_cast<unsigned char>(ch);
        char32_t cp = b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : b;
        AppendUtf8(out, cp);
    }
    return out;
}

namespace {
// Length of the sequence a lead byte starts (0 for a byte that starts none).
size_t SequenceLength(unsigned char b0) {
    if (b0 < 0x80) return 1;
    if ((b0 & 0xE0) == 0xC0) return 2;
    if ((b0 & 0xF0) == 0xE0) return 3;
    if ((b0 & 0xF8) == 0xF0) return 4;
    return 0;
}
}  // namespace

void Utf8Check::Feed(std::string_view piece) {
    char32_t cp;
    if (valid_ && !pending_.empty()) {
        // Finish the sequence the last piece left open.
        size_t need = SequenceLength(static_cast<unsigned char>(pending_[0]));
        size_t take = std::min(need - pending_.size(), piece.size());
        pending_.append(piece.substr(0, take));
        piece.remove_prefix(take);
        if (pending_.size() < need) return;
        valid_ = DecodeUtf8At(pending_, 0, cp) == need;
        pending_.clear();
    }
    size_t i = 0;
    while (valid_ && i < piece.size()) {
        size_t len = DecodeUtf8At(piece, i, cp);
        if (len > 0) {
            i += len;
            continue;
        }
        // A sequence that runs past the end of the piece may finish in the next.
        size_t need = SequenceLength(static_cast<unsigned char>(piece[i]));
        bool open = need > 0 && i + need > piece.size();
        for (size_t k = i + 1; open && k < piece.size(); ++k)
            open = (static_cast<unsigned char>(piece[k]) & 0xC0) == 0x80;
        if (open)
            pending_.assign(piece.substr(i));
        else
            valid_ = false;
        return;
    }
}

std::string EncodeFileText(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        char32_t cp;
        size_t len = DecodeUtf8At(utf8, i, cp);
        if (len == 0) {  // a stray byte is a character without a code
            out += '?';
            ++i;
            continue;
        }
        i += len;
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out += static_cast<char>(cp);
            continue;
        }
        char mapped = '?';
        for (size_t k = 0; k < kCp1252High.size(); ++k)
            if (kCp1252High[k] == cp) mapped = static_cast<char>(0x80 + k);
        out += mapped;
    }
    return out;
}
