#include "view/u_decodifica.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <stdexcept>

#include "view/u_bmp.h"
#include "view/u_jpeg.h"
#include "view/u_png.h"
#include "view/u_tiff.h"

PictureKind PictureKindOf(const unsigned char* head, std::size_t size) {
    const auto starts = [&](std::initializer_list<unsigned char> magic) {
        return size >= magic.size() && std::equal(magic.begin(), magic.end(), head);
    };
    if (starts({0xFF, 0xD8})) return PictureKind::Jpeg;
    if (starts({'B', 'M'})) return PictureKind::Bmp;
    if (starts({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'})) return PictureKind::Png;
    if (starts({'I', 'I', 42, 0}) || starts({'M', 'M', 0, 42}) || starts({'I', 'I', 43, 0}) ||
        starts({'M', 'M', 0, 43}))  // classic TIFF and BigTIFF
        return PictureKind::Tiff;
    return PictureKind::Unknown;
}

DecodeResult DecodePicture(const std::string& path, const DecodeProgress& progress) {
    unsigned long long size = 0;
    DecodeResult failure;
    unsigned char head[8] = {};
    std::size_t got = 0;
    {
        decode_detail::FilePtr file = decode_detail::OpenPictureFile(path, size, failure);
        if (!file) return failure;
        got = std::fread(head, 1, sizeof head, file.get());
    }
    switch (PictureKindOf(head, got)) {
        case PictureKind::Jpeg:
            return DecodeJpeg(path, progress);
        case PictureKind::Bmp:
            return DecodeBmp(path, progress);
        case PictureKind::Png:
            return DecodePng(path, progress);
        case PictureKind::Tiff:
            return DecodeTiff(path, progress);
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
