// The rectified picture in every file format: written, read back through
// the program's own decoders, equal to the picture in memory; the GeoTIFF's
// placement and reference system read back through libgeotiff; the EPSG code
// and the world file's numbers as typed.
#include <geotiff/geotiff.h>
#include <geotiff/geotiffio.h>
#include <geotiff/xtiffio.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "export/u_salvacorretta.h"
#include "tests/view/picture_writers.h"
#include "view/u_decodifica.h"

namespace {

using namespace test_pictures;

Raster Picture(int w, int h) {
    Raster r;
    r.Allocate(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) r.Row(y)[x] = StoredPixel(RgbColor(x * 7, y * 11, (x ^ y) * 5));
    return r;
}

const GeoTiffPlacement kPlace{{0.01L, 0, 0, -0.01L, 1.0L, 11.0L}, 32632};

class FormatTest : public DecodeTest, public ::testing::WithParamInterface<PictureFileFormat> {};

TEST_P(FormatTest, WrittenAndReadBackEqualsThePicture) {
    const Raster picture = Picture(37, 23);  // rows of odd length
    const std::string path = dir.File("corretta");
    const RectifiedSaveResult saved =
        SaveRectifiedImage(path + ".img", picture, "rapporto", GetParam(), kPlace);
    ASSERT_TRUE(saved.Ok()) << saved.write.reason;
    EXPECT_EQ(ReadFile(path + ".txt").size(), 8u);
    const DecodeResult back = DecodePicture(path + ".img");
    ASSERT_TRUE(back.Ok()) << back.reason;
    EXPECT_FALSE(back.damaged);
    EXPECT_EQ(MaxError(back.raster, [&](int x, int y) { return picture.Row(y)[x]; }), 0);
}

INSTANTIATE_TEST_SUITE_P(All, FormatTest,
                         ::testing::Values(PictureFileFormat::Bmp, PictureFileFormat::Png,
                                           PictureFileFormat::Tiff, PictureFileFormat::GeoTiff));

// The tags say what the world file says: the corner of the upper-left pixel
// half a pixel before its centre, the pixel size, the area raster type and
// the EPSG code; a plain TIFF carries none of them.
TEST_F(DecodeTest, GeoTiffTagsReadThroughLibgeotiff) {
    const Raster picture = Picture(8, 6);
    for (const bool geo : {true, false}) {
        const std::string path = dir.File(geo ? "geo.tif" : "plain.tif");
        ASSERT_TRUE(SaveRectifiedImage(path, picture, "",
                                       geo ? PictureFileFormat::GeoTiff : PictureFileFormat::Tiff,
                                       kPlace)
                        .Ok());
        TIFF* tif = XTIFFOpen(path.c_str(), "r");
        ASSERT_NE(tif, nullptr);
        GTIF* gtif = GTIFNew(tif);
        uint16_t count = 0;
        double* scale = nullptr;
        double* tie = nullptr;
        const bool hasScale = TIFFGetField(tif, TIFFTAG_GEOPIXELSCALE, &count, &scale);
        EXPECT_EQ(hasScale, geo);
        if (geo) {
            ASSERT_EQ(count, 3);
            EXPECT_DOUBLE_EQ(scale[0], 0.01);
            EXPECT_DOUBLE_EQ(scale[1], 0.01);
            ASSERT_TRUE(TIFFGetField(tif, TIFFTAG_GEOTIEPOINTS, &count, &tie));
            ASSERT_EQ(count, 6);
            EXPECT_DOUBLE_EQ(tie[3], 0.995);
            EXPECT_DOUBLE_EQ(tie[4], 11.005);
            unsigned short model = 0, raster = 0, pcs = 0;
            EXPECT_TRUE(GTIFKeyGet(gtif, GTModelTypeGeoKey, &model, 0, 1));
            EXPECT_TRUE(GTIFKeyGet(gtif, GTRasterTypeGeoKey, &raster, 0, 1));
            EXPECT_TRUE(GTIFKeyGet(gtif, ProjectedCSTypeGeoKey, &pcs, 0, 1));
            EXPECT_EQ(model, ModelTypeProjected);
            EXPECT_EQ(raster, RasterPixelIsArea);
            EXPECT_EQ(pcs, 32632);
        }
        GTIFFree(gtif);
        XTIFFClose(tif);
    }
}

// What gdalinfo prints of a file's geotransform (its origin and pixel size
// lines) or, with `epsg`, of its EPSG identifiers.
std::string GdalGeoreference(const std::string& path, bool epsg = false) {
    std::string text;
    if (std::FILE* p = popen(("gdalinfo '" + path + "' 2>/dev/null").c_str(), "r")) {
        char line[512];
        while (std::fgets(line, sizeof line, p)) {
            const std::string l = line;
            const bool geo = l.rfind("Origin", 0) == 0 || l.rfind("Pixel Size", 0) == 0;
            if (epsg ? l.find("ID[\"EPSG\"") != std::string::npos : geo) text += l;
        }
        pclose(p);
    }
    return text;
}

// Where gdalinfo is installed, the GeoTIFF shows the geotransform of the
// bitmap with its world file, and the EPSG code given.
TEST_F(DecodeTest, GdalinfoReadsTheWorldFilesGeotransform) {
    if (std::system("command -v gdalinfo >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "gdalinfo non installato: confronto saltato";
    const Raster picture = Picture(8, 6);
    ASSERT_TRUE(
        SaveRectifiedImage(dir.File("a.tif"), picture, "", PictureFileFormat::GeoTiff, kPlace)
            .Ok());
    ASSERT_TRUE(SaveRectifiedImage(dir.File("a.bmp"), picture, "").Ok());
    ASSERT_TRUE(
        SaveWorldFile(dir.File("a.bpw"), {"0.01", "0.000", "0.000", "-0.01", "1.000", "11.000"})
            .Ok());
    const std::string bmp = GdalGeoreference(dir.File("a.bmp"));
    EXPECT_NE(bmp.find("Origin"), std::string::npos) << bmp;
    EXPECT_EQ(GdalGeoreference(dir.File("a.tif")), bmp);
    EXPECT_NE(GdalGeoreference(dir.File("a.tif"), true).find("ID[\"EPSG\",32632]"),
              std::string::npos);
}

TEST(EpsgCodeTest, WholePositiveNumbersOnly) {
    EXPECT_EQ(ParseEpsgCode(""), 0);
    EXPECT_EQ(ParseEpsgCode("  "), 0);
    EXPECT_EQ(ParseEpsgCode("32632"), 32632);
    EXPECT_EQ(ParseEpsgCode(" 3003 "), 3003);
    EXPECT_EQ(ParseEpsgCode("65535"), 65535);
    for (const char* bad : {"0", "-3003", "+3003", "3003,0", "3003.5", "EPSG:3003", "30 03",
                            "65536", "99999999999999999999"})
        EXPECT_FALSE(ParseEpsgCode(bad)) << bad;
}

TEST(WorldFileNumbersTest, TypedNumbersOrTheLineThatIsNot) {
    const std::optional<WorldTransform> t =
        ReadWorldFile({"0,01", "0.000", "0.000", "-0.01", "150.000", " 230,5 "});
    ASSERT_TRUE(t);
    EXPECT_EQ(t->a, 0.01L);
    EXPECT_EQ(t->e, -0.01L);
    EXPECT_EQ(t->f, 230.5L);
    int bad = 0;
    EXPECT_FALSE(ReadWorldFile({"0.01", "0", "0", "-0.01", "x", "1"}, &bad));
    EXPECT_EQ(bad, 5);
}

}  // namespace
