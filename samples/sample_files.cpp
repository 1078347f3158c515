#include "samples/sample_files.h"

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

// After <cstdio>: it needs FILE.
#include <jpeglib.h>

#include "samples/facade.h"
#include "tables/u_omnia.h"
#include "tables/u_stringhe.h"

namespace {

const char* const kObjectFile = "facciata.ogg";
const char* const kImageFile = "facciata.imm";
const char* const kHomographyFile = "facciata_omografia.txt";
const char* const kEdgesFile = "facciata_rette.txt";

// The pixel a user clicks on for an image point: nearest, ties to even.
long long Pixel(long double v) { return static_cast<long long>(std::nearbyint(v)); }

PlanePoint Image(const PlanePoint& object) {
    // Every object point of the samples is in front of the camera.
    return *ObjectToImage(object.x, object.y);
}

std::string FileBytes(const IGrid& grid, const std::string& keyword) {
    return EncodeFileText(TableFileText(grid, keyword));
}

// Object coordinates as the object table shows them after typing or loading.
std::string ObjectTable() {
    GridCells grid;
    for (const FacadeTarget& t : FacadeTargets()) AppendMetricPoint(grid, t.name, t.X, t.Y);
    return FileBytes(grid, "nxy");
}

// Image positions as collimation registers them: whole pixels.
std::string ImageTable() {
    GridCells grid;
    for (const FacadeTarget& t : FacadeTargets()) {
        const PlanePoint p = Image({t.X, t.Y});
        AppendPixelPoint(grid, t.name, Pixel(p.x), Pixel(p.y));
    }
    return FileBytes(grid, "nxy");
}

// Fifteen significant digits, in fixed form whatever the magnitude.
std::string Parameter(long double v) {
    const int magnitude = v == 0 ? 0 : static_cast<int>(std::floor(std::log10(std::fabs(v))));
    return FormatFixed(v, 15, std::max(0, 14 - magnitude));
}

// Lines "pK  direct  inverse", K = 1..8.
std::string HomographyTable() {
    const Projective direct = DirectHomography(), inverse = InverseHomography();
    GridCells grid;
    for (int k = 1; k <= 8; ++k) {
        grid.SetCell(0, k, "p" + std::to_string(k));
        grid.SetCell(1, k, Parameter(direct.P(k)));
        grid.SetCell(2, k, Parameter(inverse.P(k)));
    }
    return FileBytes(grid, "nxy");
}

// Lines "name  x1  y1  x2  y2" in whole pixels, as the line grids hold them.
std::string EdgesTable() {
    GridCells grid(5);
    int row = 1;
    for (const FacadeEdge& e : FacadeEdges()) {
        const PlanePoint a = Image(e.from), b = Image(e.to);
        const long long cells[4] = {Pixel(a.x), Pixel(a.y), Pixel(b.x), Pixel(b.y)};
        grid.SetCell(0, row, e.name);
        for (int c = 0; c < 4; ++c) grid.SetCell(c + 1, row, std::to_string(cells[c]));
        ++row;
    }
    return FileBytes(grid, "nxyxy");
}

std::string InFolder(const std::string& folder, const std::string& name) {
    return (std::filesystem::path(folder) / name).string();
}

// libjpeg reports a fatal error through error_exit, which must not return.
struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};
void JumpOnError(j_common_ptr c) { std::longjmp(reinterpret_cast<JpegError*>(c->err)->jump, 1); }

// Compresses the rendered picture into *buffer (malloc'd by libjpeg, freed by
// the caller, also after a failure). The caller's locals stay out of reach
// of the longjmp.
bool Compress(int samples, int quality, unsigned char** buffer, unsigned long* size) {
    jpeg_compress_struct c;
    JpegError err;
    c.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = JumpOnError;
    std::vector<JSAMPLE> row(static_cast<std::size_t>(SampleWidth) * 3);
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&c);
        return false;
    }
    jpeg_create_compress(&c);
    jpeg_mem_dest(&c, buffer, size);
    c.image_width = SampleWidth;
    c.image_height = SampleHeight;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        const int y = static_cast<int>(c.next_scanline);
        for (int x = 0; x < SampleWidth; ++x) {
            const std::array<unsigned char, 3> px = RenderPixel(x, y, samples);
            std::copy(px.begin(), px.end(), row.begin() + 3 * x);
        }
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&c, &p, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    return true;
}

// The picture as JPEG bytes; empty when libjpeg fails.
std::string CompressPicture(int samples, int quality) {
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    std::string bytes;
    if (Compress(samples, quality, &buffer, &size))
        bytes.assign(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
    return bytes;
}

}  // namespace

const std::vector<std::string>& SampleTextFiles() {
    static const std::vector<std::string> names{kObjectFile, kImageFile, kHomographyFile,
                                                kEdgesFile};
    return names;
}

std::string SampleText(const std::string& fileName) {
    if (fileName == kObjectFile) return ObjectTable();
    if (fileName == kImageFile) return ImageTable();
    if (fileName == kHomographyFile) return HomographyTable();
    if (fileName == kEdgesFile) return EdgesTable();
    return {};
}

FileWriteResult WriteSampleTexts(const std::string& folder) {
    for (const std::string& name : SampleTextFiles()) {
        FileWriteResult r = WriteFileAtomic(InFolder(folder, name), SampleText(name));
        if (!r.Ok()) return r;
    }
    return {};
}

FileWriteResult WriteSamplePicture(const std::string& folder, int samples, int quality) {
    const std::string bytes = CompressPicture(samples, quality);
    if (bytes.empty()) return {FileWriteStatus::WriteError, "JPEG compression failed"};
    return WriteFileAtomic(InFolder(folder, kSamplePicture), bytes);
}
