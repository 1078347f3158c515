#include "export/u_scrivitiff.h"

#include <geotiff/geo_normalize.h>
#include <geotiff/geotiff.h>
#include <geotiff/geotiffio.h>
#include <geotiff/xtiffio.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

namespace {

// libtiff writes through these procedures into a string: it seeks back to
// patch the header and reads nothing it did not write.
struct MemoryFile {
    std::string bytes;
    std::size_t pos = 0;
    bool failed = false;
};

tmsize_t MemRead(thandle_t h, void* data, tmsize_t size) {
    auto* f = static_cast<MemoryFile*>(h);
    const std::size_t n =
        std::min<std::size_t>(size, f->bytes.size() - std::min(f->pos, f->bytes.size()));
    if (n) std::memcpy(data, f->bytes.data() + f->pos, n);
    f->pos += n;
    return static_cast<tmsize_t>(n);
}

tmsize_t MemWrite(thandle_t h, void* data, tmsize_t size) {
    auto* f = static_cast<MemoryFile*>(h);
    const std::size_t n = static_cast<std::size_t>(size);
    try {
        if (f->pos + n > f->bytes.size()) f->bytes.resize(f->pos + n);
    } catch (const std::bad_alloc&) {
        f->failed = true;
        return -1;
    }
    std::memcpy(f->bytes.data() + f->pos, data, n);
    f->pos += n;
    return size;
}

toff_t MemSeek(thandle_t h, toff_t off, int whence) {
    auto* f = static_cast<MemoryFile*>(h);
    const std::size_t base = whence == SEEK_CUR ? f->pos : whence == SEEK_END ? f->bytes.size() : 0;
    f->pos = base + static_cast<std::size_t>(off);
    return f->pos;
}

int MemClose(thandle_t) { return 0; }
toff_t MemSize(thandle_t h) { return static_cast<MemoryFile*>(h)->bytes.size(); }
int NoMap(thandle_t, void**, toff_t*) { return 0; }
void NoUnmap(thandle_t, void*, toff_t) {}

int Quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

void SetPictureTags(TIFF* tif, const Raster& picture) {
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(picture.Width()));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(picture.Height()));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
}

// The world file places pixel centres; a GeoTIFF of an area places the
// upper-left corner of pixel (0, 0), half a pixel up and to the left.
void SetGeoTags(TIFF* tif, const GeoTiffPlacement& place) {
    const WorldTransform& t = place.transform;
    const double cornerX = static_cast<double>(t.c - (t.a + t.b) / 2);
    const double cornerY = static_cast<double>(t.f - (t.d + t.e) / 2);
    if (t.b == 0 && t.d == 0) {
        const double scale[3] = {static_cast<double>(t.a), static_cast<double>(-t.e), 0};
        const double tie[6] = {0, 0, 0, cornerX, cornerY, 0};
        TIFFSetField(tif, TIFFTAG_GEOPIXELSCALE, 3, scale);
        TIFFSetField(tif, TIFFTAG_GEOTIEPOINTS, 6, tie);
    } else {
        const double m[16] = {static_cast<double>(t.a),
                              static_cast<double>(t.b),
                              0,
                              cornerX,
                              static_cast<double>(t.d),
                              static_cast<double>(t.e),
                              0,
                              cornerY,
                              0,
                              0,
                              0,
                              0,
                              0,
                              0,
                              0,
                              1};
        TIFFSetField(tif, TIFFTAG_GEOTRANSMATRIX, 16, m);
    }
    GTIF* gtif = GTIFNew(tif);
    if (!gtif) return;
    GTIFKeySet(gtif, GTRasterTypeGeoKey, TYPE_SHORT, 1, RasterPixelIsArea);
    if (place.epsg > 0) {
        const bool geographic = GTIFGetGCSInfo(place.epsg, nullptr, nullptr, nullptr, nullptr) != 0;
        GTIFKeySet(gtif, GTModelTypeGeoKey, TYPE_SHORT, 1,
                   geographic ? ModelTypeGeographic : ModelTypeProjected);
        GTIFKeySet(gtif, geographic ? GeographicTypeGeoKey : ProjectedCSTypeGeoKey, TYPE_SHORT, 1,
                   place.epsg);
    }
    GTIFWriteKeys(gtif);
    GTIFFree(gtif);
}

bool WriteRows(TIFF* tif, const Raster& picture) {
    std::vector<unsigned char> row(static_cast<std::size_t>(picture.Width()) * 3);
    for (int y = 0; y < picture.Height(); ++y) {
        const uint32_t* s = picture.Row(y);
        for (int x = 0; x < picture.Width(); ++x) {
            row[3 * x] = static_cast<unsigned char>(RedOf(s[x]));
            row[3 * x + 1] = static_cast<unsigned char>(GreenOf(s[x]));
            row[3 * x + 2] = static_cast<unsigned char>(BlueOf(s[x]));
        }
        if (TIFFWriteScanline(tif, row.data(), static_cast<uint32_t>(y), 0) < 0) return false;
    }
    return true;
}

}  // namespace

std::optional<std::string> EncodeTiff(const Raster& picture,
                                      const std::optional<GeoTiffPlacement>& place) {
    if (picture.Empty()) return std::nullopt;
    MemoryFile file;
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) return std::nullopt;
    TIFFOpenOptionsSetErrorHandlerExtR(options, Quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, Quiet, nullptr);
    // XTIFFClientOpen would register the GeoTIFF tags but takes no options;
    // the tags are registered once for every file by XTIFFInitialize.
    XTIFFInitialize();
    TIFF* tif = TIFFClientOpenExt("vek", "w", &file, MemRead, MemWrite, MemSeek, MemClose, MemSize,
                                  NoMap, NoUnmap, options);
    TIFFOpenOptionsFree(options);
    if (!tif) return std::nullopt;
    SetPictureTags(tif, picture);
    if (place) SetGeoTags(tif, *place);
    bool done = false;
    try {
        done = WriteRows(tif, picture);
    } catch (const std::bad_alloc&) {
    }
    done = done && TIFFWriteDirectory(tif) != 0;
    TIFFClose(tif);
    if (!done || file.failed) return std::nullopt;
    return std::move(file.bytes);
}
