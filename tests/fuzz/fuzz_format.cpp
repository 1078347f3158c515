// The one number formatter on arbitrary values: plain text of digits, at most
// one point, an exponent only when the integer part is too long, never "-0";
// and, for the values a table file holds, read back by ParseReal it gives the
// value rounded as shown.
#include <cfloat>
#include <cmath>
#include <cstring>
#include <string>

#include "tables/u_stringhe.h"
#include "tests/fuzz/fuzz_common.h"

namespace {

void CheckShape(const std::string& s, long double value) {
    fuzz::Check(!s.empty() && s.find_first_not_of("-.0123456789E") == std::string::npos,
                "only digits, sign, point and exponent");
    fuzz::Check(s.find('-', 1) == std::string::npos || s.find('E') != std::string::npos,
                "a minus leads the text or the exponent");
    fuzz::Check(s[0] != '-' || value < 0, "no minus on a value that is not negative");
    fuzz::Check(s.find_first_of("123456789") != std::string::npos || s[0] != '-', "no -0");
}

// The largest error allowed: half a unit of the last significant digit kept,
// plus half a unit of the last decimal shown, plus rounding of the reader.
void CheckRoundTrip(double value, int precision, int decimals) {
    const std::string s = FormatFixed(value, precision, decimals);
    CheckShape(s, value);
    if (value != 0 && std::fabs(value) < 1e-300) return;  // no digit survives either way
    // The largest doubles may round up past the range of a double ("2E308");
    // with the six digits of a table cell they never do.
    if (std::fabs(TextToReal(s)) > DBL_MAX) return fuzz::Check(precision != 6, "six digits fit");
    const double back = ParseReal(s);
    const double magnitude = std::fabs(value);
    const int lead = magnitude > 0 ? static_cast<int>(std::floor(std::log10(magnitude))) : 0;
    const double slack = 0.5 * std::pow(10.0, lead - precision + 1) * 1.000001 +
                         (s.find('E') == std::string::npos ? 0.5 * std::pow(10.0, -decimals) : 0) +
                         magnitude * 1e-15;
    fuzz::Check(std::fabs(back - value) <= slack, "ParseReal reads back the rounded value");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2 + sizeof(double)) return 0;
    const int precision = 1 + data[0] % 17;
    const int decimals = data[1] % 10;
    double d;
    std::memcpy(&d, data + 2, sizeof d);
    if (std::isfinite(d)) {
        CheckRoundTrip(d, precision, decimals);
        // The grid's own formats: 6 significant digits with 0 or 3 decimals.
        CheckRoundTrip(d, 6, 0);
        CheckRoundTrip(d, 6, 3);
    }
    // The windows format extended reals over their whole range.
    if (size > 2 + sizeof(double) && std::isfinite(d)) {
        const int scale = static_cast<int8_t>(data[2 + sizeof d]) * 64;
        const long double x = std::ldexp(static_cast<long double>(d), scale);
        if (std::isfinite(x)) CheckShape(FormatFixed(x, 1 + data[0] % 40, data[1] % 40), x);
    }
    return 0;
}
