// Field splitting and the three number conversions on arbitrary text, with
// the promises each makes: a strict reader that only ever gives a finite
// value or the unreadable mark, a lenient integer that never fails, a lenient
// real that is never infinite, fields that never hold a blank.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tables/u_stringhe.h"
#include "tests/fuzz/fuzz_common.h"

namespace {

bool OnlyOf(std::string_view s, std::string_view allowed) {
    return s.find_first_not_of(allowed) == std::string_view::npos;
}

void CheckParseReal(const std::string& text) {
    const double v = ParseReal(text);
    fuzz::Check(std::isfinite(v), "ParseReal is finite");
    if (v == UnreadableValue) return;
    fuzz::Check(OnlyOf(text, " +-.0123456789eE"), "ParseReal reads only a number's characters");
    // What it reads, the C library reads alike ("." alone is 0 for both).
    errno = 0;
    char* end = nullptr;
    const double c = std::strtod(text.c_str(), &end);
    if (errno == 0 && end == text.c_str() + text.size())
        fuzz::Check(c == v, "ParseReal agrees with strtod");
}

void CheckParseInt(const std::string& text) {
    const long long v = ParseInt(text);
    // Plain signed decimals of up to 18 digits have their exact value.
    const size_t start = text.find_first_not_of(' ');
    if (start == std::string::npos) return fuzz::Check(v == 0, "ParseInt of blanks is 0");
    std::string_view body(text);
    body.remove_prefix(start);
    if (!body.empty() && (body[0] == '-' || body[0] == '+')) body.remove_prefix(1);
    if (body.empty() || body.size() > 18 || !OnlyOf(body, "0123456789")) return;
    if (body.size() > 1 && body[0] == '0' && body[1] == 'x') return;
    fuzz::Check(v == std::strtoll(text.c_str(), nullptr, 10), "ParseInt agrees with strtoll");
}

void CheckSplit(const std::string& line) {
    const LineFields f = SplitFields(line);
    std::string joined;
    bool ended = false;
    for (const std::string& field : f) {
        fuzz::Check(field.find(' ') == std::string::npos, "a field holds no blank");
        if (field.empty())
            ended = true;
        else
            fuzz::Check(!ended, "fields fill from the first");
        joined += field;
    }
    if (!f[MaxLineFields - 1].empty()) return;  // fields past the tenth are dropped
    std::string unblanked;
    for (char c : line)
        if (c != ' ') unblanked += c;
    fuzz::Check(joined == unblanked, "the fields are the line without its blanks");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckParseReal(text);
    CheckParseInt(text);
    fuzz::Check(std::isfinite(TextToReal(text)), "TextToReal is finite");
    CheckSplit(text);
    // A file read as Windows-1252 (not UTF-8: its text changed in decoding)
    // is written back byte for byte.
    const std::string decoded = DecodeFileText(text);
    if (decoded != text && text.rfind("\xEF\xBB\xBF", 0) != 0)
        fuzz::Check(EncodeFileText(decoded) == text, "Windows-1252 bytes round-trip");
    return 0;
}
