#include "view/u_decodifica.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "view/u_bmp.h"
#include "view/u_jpeg.h"

PictureKind PictureKindOf(const std::string& path) {
    const std::string ext = std::filesystem::path(path).extension().string();
    std::string lower(ext.size(), '\0');
    std::transform(ext.begin(), ext.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower == ".jpg" || lower == ".jpeg") return PictureKind::Jpeg;
    if (lower == ".bmp") return PictureKind::Bmp;
    return PictureKind::Unknown;
}

DecodeResult DecodePicture(const std::string& path, const DecodeProgress& progress) {
    switch (PictureKindOf(path)) {
        case PictureKind::Jpeg:
            return DecodeJpeg(path, progress);
        case PictureKind::Bmp:
            return DecodeBmp(path, progress);
        case PictureKind::Unknown:
            break;
    }
    return decode_detail::Failure(DecodeStatus::UnknownFormat, decode_detail::kUnknownFormatText);
}

bool NeedsThumbnail(int width, int height) { return width > 600 || height > 600; }

ThumbnailGeometry ThumbnailSize(int width, int height) {
    if (!NeedsThumbnail(width, height) || width <= 0 || height <= 0)
        throw std::invalid_argument("ThumbnailSize: picture not larger than 600 on a side");
    ThumbnailGeometry g;
    if (height < width) {
        g.step = width / 300;
        g.width = 300;
        g.height = std::max(1, height / g.step);
    } else {
        g.step = height / 300;
        g.width = std::max(1, width / g.step);
        g.height = 300;
    }
    return g;
}

Raster MakeThumbnailRaster(const Raster& src) {
    const ThumbnailGeometry g = ThumbnailSize(src.Width(), src.Height());
    Raster thumb;
    if (!thumb.Allocate(g.width, g.height)) return thumb;
    for (int j = 0; j < g.height; ++j) {
        const uint32_t* s = src.Row(j * g.step);
        uint32_t* d = thumb.Row(j);
        for (int i = 0; i < g.width; ++i) d[i] = s[i * g.step];
    }
    return thumb;
}
