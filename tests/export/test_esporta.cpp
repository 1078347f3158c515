// The export writers against small golden files.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "export/u_filegeo.h"
#include "export/u_salvacorretta.h"
#include "export/u_scrivibmp.h"
#include "export/u_scrividxf.h"
#include "tables/u_stringhe.h"
#include "view/u_bmp.h"

namespace fs = std::filesystem;

namespace {

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Golden(const char* name) { return ReadBytes(fs::path(VEK_TEST_DATA) / name); }

class ExportDir : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "vek_esporta_XXXXXX").string();
        dir_ = mkdtemp(pattern.data());
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string File(const char* name) const { return (dir_ / name).string(); }
    int Entries() const {
        return static_cast<int>(std::distance(fs::directory_iterator(dir_), {}));
    }
    fs::path dir_;
};

// Row 0 (top): red, green, blue; row 1: white, black, 0x123456. The top byte
// of a pixel is not part of the file.
Raster ThreeByTwo() {
    Raster r;
    r.Allocate(3, 2);
    const uint32_t pixels[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF,
                               0xFFFFFFFF, 0x00000000, 0xFF123456};
    std::copy(std::begin(pixels), std::end(pixels), r.Data());
    return r;
}

}  // namespace

TEST(Report, NineLinesForEitherMethod) {
    using M = RectificationMethod;
    const std::pair<RectifiedReportInputs, const char*> cases[] = {
        {{M::Analytic, "/dati/facciata.bmp", "150.000", "230.000", "155.000", "226.000", "", "",
          "500 x 400", "12.700 x 10.160", "254", "0.010"},
         "report_analytic.txt"},
        {{M::Geometric, "/dati/parete.bmp", "ignored", "ignored", "", "", "5.000", "2.000",
          "500 x 200", "5.000 x 2.000", "254.000", "0.01"},
         "report_geometric.txt"},
    };
    for (const auto& [in, golden] : cases) EXPECT_EQ(RectifiedReportText(in), Golden(golden));

    RectifiedReportInputs none = cases[1].first;
    none.method = M::None;
    EXPECT_EQ(RectifiedReportText(none), "Dati immagine raddrizzata:  /dati/parete.bmp\r\n");
}

TEST(Report, NameTakesTheBitmapsPlaceWithTxt) {
    const std::pair<const char*, const char*> cases[] = {
        {"/dati/a.bmp", "/dati/a.txt"},
        {"/dati/foto.jpg", "/dati/foto.txt"},
        {"/dati.bmp/abcd", "/dati.bmp/abcd.txt"},  // never reaches into the folder
        {"/dati/nota.txt", "/dati/nota.txt.txt"},  // never replaces the bitmap
    };
    for (const auto& [bmp, report] : cases) EXPECT_EQ(ReportFileName(bmp), report) << bmp;
}

TEST_F(ExportDir, SavedBitmapMatchesTheGoldenFileAndReadsBack) {
    const Raster picture = ThreeByTwo();
    const std::string bmp = File("r.bmp");
    ASSERT_TRUE(SaveRectifiedImage(bmp, picture, "Dati immagine raddrizzata:  \xC3\xA8").Ok());
    EXPECT_EQ(ReadBytes(bmp), Golden("rectified_3x2.bmp"));
    EXPECT_EQ(ReadBytes(File("r.txt")), "Dati immagine raddrizzata:  \xE8");  // Windows-1252

    const DecodeResult back = DecodeBmp(bmp);
    ASSERT_TRUE(back.Ok());
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(back.raster.Data()[k] & 0xFFFFFF, picture.Data()[k] & 0xFFFFFF) << k;
    EXPECT_FALSE(EncodeBmp24(Raster()).has_value());
}

TEST_F(ExportDir, FailedWritesNameTheFileAndLeaveNoPartialFile) {
    const Raster picture = ThreeByTwo();
    // The report cannot be created: no bitmap either.
    const std::string missing = File("nessuna/r.bmp");
    RectifiedSaveResult saved = SaveRectifiedImage(missing, picture, "x");
    EXPECT_EQ(saved.write.status, FileWriteStatus::CannotCreate);
    EXPECT_EQ(saved.failedPath, File("nessuna/r.txt"));
    EXPECT_FALSE(saved.write.reason.empty());

    // The bitmap's name is taken by a folder: the report stands, the bitmap
    // fails, and no temporary file stays behind.
    fs::create_directory(File("cartella.bmp"));
    saved = SaveRectifiedImage(File("cartella.bmp"), picture, "x");
    EXPECT_EQ(saved.write.status, FileWriteStatus::RenameError);
    EXPECT_EQ(saved.failedPath, File("cartella.bmp"));
    EXPECT_EQ(Entries(), 2);  // cartella.bmp and cartella.txt

    fs::create_directory(File("disegno.dxf"));
    EXPECT_FALSE(SaveDxf(File("disegno.dxf"), "0").Ok());
    EXPECT_FALSE(SaveWorldFile(File("nessuna/r.tfw"), {}).Ok());
    EXPECT_EQ(Entries(), 3);
}

TEST_F(ExportDir, WorldFileProposalsAndText) {
    const WorldFileLines analytic = ProposeWorldFileAnalytic("0.010", "150.000", "230.000");
    ASSERT_TRUE(SaveWorldFile(File("r.tfw"), analytic).Ok());
    EXPECT_EQ(ReadBytes(File("r.tfw")), Golden("world_analytic.tfw"));

    const WorldFileLines geometric = ProposeWorldFileGeometric("0.005", "2.000");
    EXPECT_EQ(WorldFileText(geometric), "0.005\r\n0.000\r\n0.000\r\n-0.005\r\n0.000\r\n2.000");
    EXPECT_EQ(ProposeWorldFileAnalytic("-0.01", "1", "2")[3], "--0.01");
}

// A reader of the world file puts the centre of pixel (c, r) at
// (line5 + c·line1, line6 + r·line4); the rectified window shows the same
// pixel at Xin + c·s, Yin − r·s (analytic) or c·s, (H − r)·s (geometric).
TEST(WorldFile, PixelCentresLieWhereTheWindowReadsThem) {
    struct Case {
        WorldFileLines lines;
        int c, r;
        double x, y;
    };
    const Case cases[] = {
        {ProposeWorldFileAnalytic("0.01", "100", "200"), 50, 100, 100.5, 199.0},
        {ProposeWorldFileAnalytic("0.01", "100", "200"), 0, 0, 100.0, 200.0},
        // 400 rows of 0.02 m: the main window's height is 8.000.
        {ProposeWorldFileGeometric("0.02", "8.000"), 10, 390, 0.2, 0.2},
        {ProposeWorldFileGeometric("0.02", "8.000"), 0, 399, 0.0, 0.02},
    };
    for (const Case& k : cases) {
        const auto& l = k.lines;
        EXPECT_NEAR(ParseReal(l[4]) + k.c * ParseReal(l[0]) + k.r * ParseReal(l[2]), k.x, 1e-12);
        EXPECT_NEAR(ParseReal(l[5]) + k.c * ParseReal(l[1]) + k.r * ParseReal(l[3]), k.y, 1e-12);
    }
}

TEST(Dxf, DrawingMatchesTheGoldenFiles) {
    DxfDrawing drawing(TextToReal("100"), TextToReal("1"), "");
    EXPECT_TRUE(drawing.AddPoint("12", "10.500", "20.250", ""));
    EXPECT_TRUE(drawing.AddPoint("punto 2", "-3.25", "7", ""));
    EXPECT_EQ(drawing.Finish(), Golden("dxf_two_points.dxf"));
    EXPECT_EQ(DxfDrawing(100, 1, "muro").Finish(), Golden("dxf_empty.dxf"));
}

TEST(Dxf, LabelSizeAndUnwritableValues) {
    // An empty scale gives labels of height 0 at their points.
    std::string expected;
    DxfText(expected, "L_nome", "P", 1, 2, 0, 0);
    DxfDrawing empty(TextToReal(""), 1, "L");
    EXPECT_TRUE(empty.AddPoint("P", "1", "2", "0"));
    EXPECT_NE(empty.Finish().find(expected), std::string::npos);

    // A label size that overflows is refused and leaves the drawing as it was.
    DxfDrawing huge(TextToReal("1e4000"), TextToReal("1e4000"), "L");
    EXPECT_FALSE(huge.AddPoint("P", "1", "2", ""));
    EXPECT_EQ(huge.Finish(), Golden("dxf_empty.dxf"));

    // A cell typed with a decimal comma reads as the point.
    DxfDrawing comma(100, 1, "L");
    ASSERT_TRUE(comma.AddPoint("P", "12,5", "-0,25", ""));
    const std::string text = comma.Finish();
    EXPECT_NE(text.find("     12.500000"), std::string::npos);
    EXPECT_NE(text.find("     -0.250000"), std::string::npos);

    // A real wider than its field is kept whole.
    EXPECT_EQ(FormatFixedField(123456789012.5L, 14, 6), "123456789012.500000");
}
