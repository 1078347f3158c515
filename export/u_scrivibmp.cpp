#include "export/u_scrivibmp.h"

#include <cstdint>
#include <limits>
#include <new>

namespace {

constexpr std::size_t kFileHeader = 14;
constexpr std::size_t kInfoHeader = 40;

void Put16(std::string& out, std::size_t at, uint32_t v) {
    out[at] = static_cast<char>(v & 0xFF);
    out[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& out, std::size_t at, uint32_t v) {
    Put16(out, at, v & 0xFFFF);
    Put16(out, at + 2, v >> 16);
}

}  // namespace

std::optional<std::string> EncodeBmp24(const Raster& picture) {
    if (picture.Empty()) return std::nullopt;
    const std::size_t width = static_cast<std::size_t>(picture.Width());
    const std::size_t height = static_cast<std::size_t>(picture.Height());
    const std::size_t rowBytes = (width * 3 + 3) / 4 * 4;
    const std::size_t limit = std::numeric_limits<uint32_t>::max() - kFileHeader - kInfoHeader;
    if (rowBytes > limit / height) return std::nullopt;
    const std::size_t imageBytes = rowBytes * height;
    const std::size_t fileBytes = kFileHeader + kInfoHeader + imageBytes;

    std::string out;
    try {
        out.assign(fileBytes, '\0');
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, static_cast<uint32_t>(fileBytes));
    Put32(out, 10, kFileHeader + kInfoHeader);
    Put32(out, 14, kInfoHeader);
    Put32(out, 18, static_cast<uint32_t>(width));
    Put32(out, 22, static_cast<uint32_t>(height));  // positive: bottom-up rows
    Put16(out, 26, 1);                              // planes
    Put16(out, 28, 24);                             // bits per pixel
    Put32(out, 34, static_cast<uint32_t>(imageBytes));

    std::size_t at = kFileHeader + kInfoHeader;
    for (std::size_t r = height; r-- > 0;) {
        const uint32_t* row = picture.Row(static_cast<int>(r));
        for (std::size_t c = 0; c < width; ++c) {
            out[at + 3 * c] = static_cast<char>(row[c] & 0xFF);
            out[at + 3 * c + 1] = static_cast<char>((row[c] >> 8) & 0xFF);
            out[at + 3 * c + 2] = static_cast<char>((row[c] >> 16) & 0xFF);
        }
        at += rowBytes;
    }
    return out;
}
