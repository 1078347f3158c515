#include "export/u_filegeo.h"

#include "tables/u_stringhe.h"

namespace {
constexpr long kMaxEpsgCode = 65535;  // a GeoTIFF key is a 16-bit value
}  // namespace

// The texts are taken as they are: nothing is parsed or reformatted, so a
// pixel size that already carries a sign gives "--" on line 4.
WorldFileLines ProposeWorldFileAnalytic(const std::string& pixelSize, const std::string& xin,
                                        const std::string& yin) {
    return {pixelSize, "0.000", "0.000", "-" + pixelSize, xin, yin};
}

WorldFileLines ProposeWorldFileGeometric(const std::string& pixelSize, const std::string& height) {
    return ProposeWorldFileAnalytic(pixelSize, "0.000", height);
}

std::string WorldFileText(const WorldFileLines& lines) {
    std::string text;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        text += lines[k];
        if (k + 1 < lines.size()) text += "\r\n";
    }
    return text;
}

FileWriteResult SaveWorldFile(const std::string& path, const WorldFileLines& lines) {
    return WriteFileAtomic(path, EncodeFileText(WorldFileText(lines)));
}

std::optional<WorldTransform> ReadWorldFile(const WorldFileLines& lines, int* badLine) {
    long double v[6];
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const std::optional<long double> n = ReadTypedNumber(lines[k]);
        if (!n) {
            if (badLine) *badLine = static_cast<int>(k) + 1;
            return std::nullopt;
        }
        v[k] = *n;
    }
    return WorldTransform{v[0], v[1], v[2], v[3], v[4], v[5]};
}

std::optional<int> ParseEpsgCode(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return 0;
    const std::size_t last = text.find_last_not_of(" \t");
    long code = 0;
    for (std::size_t i = first; i <= last; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        code = code * 10 + (text[i] - '0');
        if (code > kMaxEpsgCode) return std::nullopt;
    }
    if (code == 0) return std::nullopt;
    return static_cast<int>(code);
}
