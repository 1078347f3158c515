#include "export/u_filegeo.h"

#include "tables/u_stringhe.h"

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
