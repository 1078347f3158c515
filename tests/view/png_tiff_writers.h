// PNG and TIFF pictures written through libpng and libtiff for the decoder
// tests, in every layout the decoders read, with the colour each pixel must
// decode to. Plain C++ like the decoders.
#pragma once

#include <png.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace test_pictures {

// A sample of channel c at (x, y) in [0, 2^bits); smooth when asked (for the
// lossy JPEG-in-TIFF), else scattered over the whole range.
inline unsigned Sample(int x, int y, int c, int bits, bool smooth = false) {
    if (smooth) return static_cast<unsigned>(10 + 2 * x + 2 * y + 25 * c) << (bits - 8);
    // A hash, so that the samples do not compress: a file cut in half loses
    // half of the picture.
    uint64_t v = (uint64_t(x) << 32) ^ (uint64_t(y) << 8) ^ uint64_t(c);
    v = (v ^ (v >> 31)) * 0x7FB5D329728EA185ULL;
    v = (v ^ (v >> 27)) * 0x81DADEF4BC2DD44DULL;
    return static_cast<unsigned>((v ^ (v >> 33)) % (1ULL << bits));
}

// The 8-bit value a decoder must give for a sample of `bits`.
inline unsigned To8(unsigned v, int bits) {
    if (bits == 16) return (v + 128) / 257;
    if (bits == 8) return v;
    return v * 255 / ((1u << bits) - 1);
}

struct PngCase {
    int colorType;
    int depth;
    bool interlaced;
    int width = 40, height = 21;
};

inline void WritePng(const std::string& path, const PngCase& p) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, p.width, p.height, p.depth, p.colorType,
                 p.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (p.colorType == PNG_COLOR_TYPE_PALETTE) {
        std::vector<png_color> palette(1u << p.depth);
        for (std::size_t i = 0; i < palette.size(); ++i)
            palette[i] = {png_byte(i * 13), png_byte(255 - i * 7), png_byte(i * 3)};
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    }
    png_write_info(png, info);
    if (p.depth < 8) png_set_packing(png);
    const int channels = png_get_channels(png, info);
    const int bytes = p.depth == 16 ? 2 : 1;
    std::vector<png_byte> row(static_cast<std::size_t>(p.width) * channels * bytes);
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass)
        for (int y = 0; y < p.height; ++y) {
            for (int x = 0; x < p.width; ++x)
                for (int c = 0; c < channels; ++c) {
                    const unsigned v = Sample(x, y, c, p.depth);
                    png_byte* s = &row[(static_cast<std::size_t>(x) * channels + c) * bytes];
                    if (bytes == 2) {
                        s[0] = png_byte(v >> 8);
                        s[1] = png_byte(v);
                    } else {
                        s[0] = png_byte(v);
                    }
                }
            png_write_row(png, row.data());
        }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
}

inline uint32_t ExpectedPng(const PngCase& p, int x, int y) {
    if (p.colorType == PNG_COLOR_TYPE_PALETTE) {
        const unsigned i = Sample(x, y, 0, p.depth);
        return 0xFF000000u | (((i * 13) & 255) << 16) | (((255 - i * 7) & 255) << 8) |
               ((i * 3) & 255);
    }
    const bool grey = !(p.colorType & PNG_COLOR_MASK_COLOR);
    const unsigned r = To8(Sample(x, y, 0, p.depth), p.depth);
    const unsigned g = grey ? r : To8(Sample(x, y, 1, p.depth), p.depth);
    const unsigned b = grey ? r : To8(Sample(x, y, 2, p.depth), p.depth);
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

struct TiffCase {
    uint16_t photometric;  // MINISBLACK, MINISWHITE or RGB
    int bits;
    bool tiled;
    uint16_t compression;
    bool alpha = false;
    int width = 40, height = 21;
};

inline bool Lossy(const TiffCase& t) { return t.compression == COMPRESSION_JPEG; }

inline void WriteTiff(const std::string& path, const TiffCase& t) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    const int colours = t.photometric == PHOTOMETRIC_RGB ? 3 : 1;
    const int samples = colours + (t.alpha ? 1 : 0);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, t.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, t.height);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, t.bits);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, t.compression);
    if (t.alpha) {
        const uint16_t extra = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    if (Lossy(t) && colours == 3) {
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_YCBCR);
        TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    } else {
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, t.photometric);
    }
    if (t.tiled) {
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, 16);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, 16);
    } else {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, Lossy(t) ? 16 : 4);
    }
    const int bw = t.tiled ? 16 : t.width, bh = t.tiled ? 16 : t.height;
    const int bytes = t.bits / 8;
    std::vector<unsigned char> block(static_cast<std::size_t>(bw) * bh * samples * bytes);
    auto fill = [&](int left, int top, int w, int h) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                for (int c = 0; c < samples; ++c) {
                    const unsigned v = Sample(left + x, top + y, c, t.bits, Lossy(t));
                    const std::size_t at = (static_cast<std::size_t>(y) * w + x) * samples + c;
                    if (bytes == 2)
                        reinterpret_cast<uint16_t*>(block.data())[at] = uint16_t(v);
                    else
                        block[at] = static_cast<unsigned char>(v);
                }
    };
    if (t.tiled) {
        for (int top = 0; top < t.height; top += 16)
            for (int left = 0; left < t.width; left += 16) {
                fill(left, top, 16, 16);
                TIFFWriteTile(tif, block.data(), left, top, 0, 0);
            }
    } else {
        fill(0, 0, t.width, t.height);
        const tmsize_t row = static_cast<tmsize_t>(t.width) * samples * bytes;
        for (int y = 0; y < t.height; ++y) TIFFWriteScanline(tif, block.data() + y * row, y, 0);
    }
    TIFFClose(tif);
}

inline uint32_t ExpectedTiff(const TiffCase& t, int x, int y) {
    const bool grey = t.photometric != PHOTOMETRIC_RGB;
    auto channel = [&](int c) {
        unsigned v = To8(Sample(x, y, grey ? 0 : c, t.bits, Lossy(t)), t.bits);
        return t.photometric == PHOTOMETRIC_MINISWHITE ? 255 - v : v;
    };
    return 0xFF000000u | (channel(0) << 16) | (channel(1) << 8) | channel(2);
}

// An uncompressed 8-bit RGB TIFF written byte by byte with its directory
// first and the strips after it, so that cutting the file's tail cuts the
// picture data the way a broken copy does. Pixels follow ExpectedTiff for
// TiffCase{PHOTOMETRIC_RGB, 8, false, COMPRESSION_NONE}.
inline std::vector<uint8_t> DirectoryFirstTiff(int width, int height, int rowsPerStrip) {
    const int strips = (height + rowsPerStrip - 1) / rowsPerStrip;
    const int entries = 9;
    const uint32_t ifdEnd = 8 + 2 + entries * 12 + 4;
    const uint32_t bitsAt = ifdEnd, offsetsAt = bitsAt + 6, countsAt = offsetsAt + 4 * strips;
    const uint32_t dataAt = countsAt + 4 * strips;
    std::vector<uint8_t> b;
    auto put16 = [&](uint32_t v) { b.push_back(uint8_t(v)), b.push_back(uint8_t(v >> 8)); };
    auto put32 = [&](uint32_t v) { put16(v & 0xFFFF), put16(v >> 16); };
    auto entry = [&](uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
        put16(tag), put16(type), put32(count);
        if (type == 3 && count == 1)
            put16(value), put16(0);
        else
            put32(value);
    };
    b = {'I', 'I', 42, 0};
    put32(8);
    put16(entries);
    entry(256, 3, 1, width);
    entry(257, 3, 1, height);
    entry(258, 3, 3, bitsAt);
    entry(259, 3, 1, 1);
    entry(262, 3, 1, 2);
    entry(273, 4, strips, strips == 1 ? dataAt : offsetsAt);
    entry(277, 3, 1, 3);
    entry(278, 3, 1, rowsPerStrip);
    entry(279, 4, strips, strips == 1 ? uint32_t(width * 3 * height) : countsAt);
    put32(0);
    put16(8), put16(8), put16(8);
    for (int s = 0; s < strips; ++s) put32(dataAt + s * width * 3 * rowsPerStrip);
    for (int s = 0; s < strips; ++s)
        put32(width * 3 * std::min(rowsPerStrip, height - s * rowsPerStrip));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) b.push_back(uint8_t(Sample(x, y, c, 8)));
    return b;
}

}  // namespace test_pictures
