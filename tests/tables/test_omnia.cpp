#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/filewrite.h"
#include "tables/u_omnia.h"
#include "tables/u_stringhe.h"

namespace fs = std::filesystem;

namespace {

void Put(IGrid& g, int row, std::initializer_list<std::string> cells) {
    int c = 0;
    for (const auto& t : cells) g.SetCell(c++, row, t);
}

std::string ReadBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteBytes(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary);
    out << bytes;
}

class TempDir : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("vek_omnia_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    fs::path dir_;
};

}  // namespace

TEST(SetTableHeader, TitlesByKeyword) {
    GridCells g(7, 10);
    SetTableHeader(g, "nxyrxry");
    EXPECT_EQ(g.Cell(0, 0), "nome");
    EXPECT_EQ(g.Cell(3, 0), " res x");
    EXPECT_EQ(g.Cell(6, 0), " res stand y");
    GridCells u(6, 10);
    SetTableHeader(u, "nxyxy");
    EXPECT_EQ(u.Cell(1, 0), "   x");
    EXPECT_EQ(u.Cell(4, 0), "   Y");
    EXPECT_EQ(u.Cell(5, 0), " *");
    GridCells r(5, 10);
    SetTableHeader(r, "nrette");
    EXPECT_EQ(r.Cell(1, 0), "  x1");
    EXPECT_EQ(r.Cell(4, 0), "  y2");
    GridCells p(3, 9);
    SetTableHeader(p, "npar");
    EXPECT_EQ(p.Cell(1, 0), " valore");
    EXPECT_EQ(p.Cell(2, 0), " varcovar");
    GridCells xyz(6, 10);
    SetTableHeader(xyz, "nxyz");
    EXPECT_EQ(xyz.Cell(3, 0), "   z");
    EXPECT_EQ(xyz.Cell(4, 0), "");
    SetTableHeader(xyz, "nxyxyz");
    EXPECT_EQ(xyz.Cell(3, 0), "   X");
    EXPECT_EQ(xyz.Cell(5, 0), "   Z");
    GridCells z(6, 10);
    SetTableHeader(z, "NXYZ");  // case-sensitive: only the common titles
    EXPECT_EQ(z.Cell(2, 0), "   y");
    EXPECT_EQ(z.Cell(3, 0), "");
}

TEST(CountPoints, StopsAtFirstEmptyColumnOne) {
    GridCells g(3, 500);
    EXPECT_EQ(CountPoints(g), 0);
    Put(g, 1, {"1", "10", "20"});
    Put(g, 2, {"2", "11", "21"});
    Put(g, 3, {"3", "", "22"});
    Put(g, 4, {"4", "13", "23"});
    EXPECT_EQ(CountPoints(g), 2);
    ClearTable(g);
    EXPECT_EQ(g.Cell(0, 1), "");
    EXPECT_EQ(g.Cell(2, 2), "");
    EXPECT_EQ(g.Cell(0, 3), "3");  // below the table: untouched
    EXPECT_EQ(g.RowCount(), 500);
}

TEST(FitRowCount, OnlyForMoreThanOnePoint) {
    GridCells g(3, 500);
    Put(g, 1, {"1", "10", "20"});
    FitRowCount(g);
    EXPECT_EQ(g.RowCount(), 500);
    for (int r = 1; r <= 40; ++r) Put(g, r, {std::to_string(r), "1", "2"});
    FitRowCount(g);
    EXPECT_EQ(g.RowCount(), 41);
}

TEST(AppendPoint, SelectsScrollsAndGrows) {
    GridCells g(3, 500);
    AppendPixelPoint(g, "1", 634, 587);
    AppendPixelPoint(g, "2", -5, 0);
    EXPECT_EQ(g.Cell(1, 1), "634");
    EXPECT_EQ(g.Cell(1, 2), "-5");
    EXPECT_EQ(g.RowCount(), 3);  // title row and two points
    EXPECT_EQ(g.TopRow(), 2);
    GridRect s = g.Selection();
    EXPECT_EQ(s.left, 0);
    EXPECT_EQ(s.right, 2);
    EXPECT_EQ(s.top, 2);
    EXPECT_EQ(s.bottom, 2);

    GridCells d(5, 5000);
    AppendMetricPoint(d, "P", 1234.56789L, -0.0001L);
    EXPECT_EQ(d.ColCount(), 3);
    EXPECT_EQ(d.Cell(1, 1), "1234.568");
    EXPECT_EQ(d.Cell(2, 1), "0.000");
    EXPECT_EQ(d.RowCount(), 2);
}

TEST(DeleteTableRow, Cases) {
    auto fill = [](GridCells& g, int n) {
        for (int r = 1; r <= n; ++r) Put(g, r, {"p" + std::to_string(r), "1", "2"});
    };
    GridCells g(3, 500);
    fill(g, 4);
    DeleteTableRow(g, 2);
    EXPECT_EQ(CountPoints(g), 3);
    EXPECT_EQ(g.Cell(0, 2), "p3");
    EXPECT_EQ(g.Cell(0, 3), "p4");
    EXPECT_EQ(g.RowCount(), 4);

    DeleteTableRow(g, 9);  // past the table: the last point goes
    EXPECT_EQ(CountPoints(g), 2);
    EXPECT_EQ(g.Cell(0, 2), "p3");

    DeleteTableRow(g, 2);  // the last row itself
    EXPECT_EQ(CountPoints(g), 1);
    EXPECT_EQ(g.Cell(0, 1), "p1");

    fill(g, 2);
    DeleteTableRow(g, 0);  // the title row is never a table row
    EXPECT_EQ(g.Cell(0, 0), "");
    EXPECT_EQ(CountPoints(g), 2);
    DeleteTableRow(g, 1);
    EXPECT_EQ(g.Cell(0, 1), "p2");

    int rows = g.RowCount();
    DeleteTableRow(g, 7);  // one point: row 1 goes whatever the row
    EXPECT_EQ(CountPoints(g), 0);
    EXPECT_EQ(g.Cell(0, 1), "");
    EXPECT_EQ(g.RowCount(), rows);

    DeleteTableRow(g, 1);  // empty table: nothing happens
    EXPECT_EQ(g.RowCount(), rows);
}

TEST(ClearGrid, EmptiesRowsBelowTheTableToo) {
    GridCells g(3, 10);
    g.SetCell(0, 1, "1");
    g.SetCell(1, 1, "5");
    g.SetCell(0, 5, "stray");
    g.SetCell(1, 5, "9");
    g.SetCell(2, 9, "last shown row");
    ClearGrid(g);
    for (int r = 1; r <= 9; ++r)
        for (int c = 0; c < 3; ++c) EXPECT_EQ(g.Cell(c, r), "") << c << "," << r;
    EXPECT_EQ(g.RowCount(), 10);
}

TEST(NormalizeGridDecimals, FirstCommaOfCoordinateColumns) {
    GridCells g(3, 10);
    Put(g, 1, {"a,b", "12,5,3", "3,25"});
    Put(g, 2, {"x", "", "7,5"});  // not in the table
    NormalizeGridDecimals(g);
    EXPECT_EQ(g.Cell(0, 1), "a,b");
    EXPECT_EQ(g.Cell(1, 1), "12.5,3");
    EXPECT_EQ(g.Cell(2, 1), "3.25");
    EXPECT_EQ(g.Cell(2, 2), "7,5");
}

TEST(BuildUnionTable, ByNameInImageOrder) {
    GridCells img(3, 500), obj(3, 500), uni(6, 500);
    Put(img, 1, {"1", "100", "200"});
    Put(img, 2, {"2", "110", "210"});
    Put(img, 3, {"3", "120", "220"});
    Put(img, 4, {"A1", "130", "230"});
    Put(obj, 1, {"3", "3.250", "14.870"});
    Put(obj, 2, {"1", "1.000", "2.000"});
    Put(obj, 3, {"4", "9.000", "9.000"});
    Put(obj, 4, {"1", "1.500", "2.500"});
    Put(obj, 5, {"a1", "5.000", "5.000"});
    Put(obj, 6, {"2 ", "6.000", "6.000"});
    BuildUnionTable(img, obj, uni);
    ASSERT_EQ(CountPoints(uni), 3);
    EXPECT_EQ(uni.Cell(0, 1), "1");
    EXPECT_EQ(uni.Cell(3, 1), "1.000");
    EXPECT_EQ(uni.Cell(0, 2), "1");
    EXPECT_EQ(uni.Cell(3, 2), "1.500");
    EXPECT_EQ(uni.Cell(0, 3), "3");
    EXPECT_EQ(uni.Cell(1, 3), "120");
    EXPECT_EQ(uni.Cell(4, 3), "14.870");
    EXPECT_EQ(uni.RowCount(), 4);
}

TEST(BuildUnionTable, RebuildClearsOldRowsAndMarks) {
    GridCells img(3, 500), obj(3, 500), uni(6, 500);
    for (int r = 1; r <= 6; ++r) Put(uni, r, {"old", "1", "2", "3", "4", "*"});
    uni.SetCell(5, 300, "*");  // a mark below the table
    Put(img, 1, {"7", "10", "20"});
    Put(obj, 1, {"7", "1.000", "2.000"});
    BuildUnionTable(img, obj, uni);
    EXPECT_EQ(CountPoints(uni), 1);
    EXPECT_EQ(uni.RowCount(), 500);  // one point: the count stays
    EXPECT_EQ(uni.Cell(5, 1), "");
    EXPECT_EQ(uni.Cell(0, 2), "");
    EXPECT_EQ(uni.Cell(5, 2), "");
    EXPECT_EQ(uni.Cell(5, 300), "");
}

TEST(ParseTableText, LineEndsAndCtrlZ) {
    for (const char* eol : {"\r\n", "\n", "\r"}) {
        std::string text = std::string("1  10  20") + eol + "2 11 21" + eol;
        auto pts = ParseTableText(text, "nxy");
        ASSERT_EQ(pts.size(), 2u) << "eol size " << std::string(eol).size();
        EXPECT_EQ(pts[1].name, "2");
        EXPECT_DOUBLE_EQ(pts[1].coord[1], 21.0);
    }
    auto pts = ParseTableText("1 2 3\r\n4 5 6\x1A" "7 8 9\r\n", "nxy");
    EXPECT_EQ(pts.size(), 2u);
    EXPECT_DOUBLE_EQ(pts[1].coord[1], 6.0);
    pts = ParseTableText("1 2 3\n\r\n5 6 7\n", "nxy");  // LF then CR LF: a blank line
    ASSERT_EQ(pts.size(), 3u);
    EXPECT_EQ(pts[1].name, "");
    EXPECT_TRUE(ParseTableText("1 2 3\n", "nxxy").empty());
}

TEST(ParseTableText, FieldsAndCommas) {
    auto pts = ParseTableText("7  12,5  3,25\r\n7,12,5\r\n8\t1 2\r\n 9  1 \r\n", "nxy_1");
    ASSERT_EQ(pts.size(), 4u);
    EXPECT_DOUBLE_EQ(pts[0].coord[0], 12.5);
    EXPECT_DOUBLE_EQ(pts[0].coord[1], 3.25);
    EXPECT_EQ(pts[1].name, "7.12.5");
    EXPECT_EQ(pts[1].coord[0], UnreadableValue);
    EXPECT_EQ(pts[2].name, "8\t1");
    EXPECT_DOUBLE_EQ(pts[2].coord[0], 2.0);
    EXPECT_EQ(pts[3].name, "9");
    EXPECT_EQ(pts[3].coord[1], UnreadableValue);  // missing field

    GridCells g(3, 500);
    FillTableGrid(g, pts, "nxy_1");
    EXPECT_EQ(g.Cell(1, 1), "12.500");
    EXPECT_EQ(g.Cell(2, 1), "3.250");
    EXPECT_EQ(g.Cell(1, 2), "0.000");
    GridCells h(3, 500);
    FillTableGrid(h, ParseTableText("5 134 812.6\n", "nxy"), "nxy");
    EXPECT_EQ(h.Cell(1, 1), "134");
    EXPECT_EQ(h.Cell(2, 1), "813");
}

TEST(ParseTableText, AtMost500PointsAndBlankLineEndsTheGrid) {
    std::string text;
    for (int i = 1; i <= 600; ++i) text += std::to_string(i) + "  " + std::to_string(i) + "  1\r\n";
    auto pts = ParseTableText(text, "nxy");
    ASSERT_EQ(pts.size(), 500u);
    EXPECT_EQ(pts.back().name, "500");

    GridCells g(3, 600);
    FillTableGrid(g, ParseTableText("1 1 1\n2 2 2\n   \n4 4 4\n", "nxy"), "nxy");
    EXPECT_EQ(CountPoints(g), 2);
    EXPECT_EQ(g.Cell(0, 4), "");
}

TEST(TableFileText, RowsUntilEmptyNameTwoBlanksCrLf) {
    GridCells g(6, 500);
    Put(g, 1, {"12", "634", "587", "3.250", "14.870", "*"});
    Put(g, 2, {"13", "", "5", "3,5", "1"});
    Put(g, 4, {"15", "1", "1", "1", "1"});
    EXPECT_EQ(TableFileText(g, "nxyxy"), "12  634  587  3.250  14.870\r\n13    5  3,5  1\r\n");
    EXPECT_EQ(TableFileText(g, "nxy"), "12  634  587\r\n13    5\r\n");
    EXPECT_EQ(TableFileText(g, "nxy_1"), "");
    GridCells e(3, 10);
    Put(e, 2, {"2", "1", "1"});
    EXPECT_EQ(TableFileText(e, "nxy"), "");
}

TEST_F(TempDir, EveryLayoutRoundTrips) {
    const std::vector<std::pair<std::string, int>> layouts = {
        {"nxy", 3}, {"nxyz", 4}, {"nxyxy", 5}, {"nxyxyz", 6}};
    for (const auto& [keyword, cols] : layouts) {
        GridCells g(6, 500);
        for (int r = 1; r <= 3; ++r)
            for (int c = 0; c < cols; ++c)
                g.SetCell(c, r, c == 0 ? "P" + std::to_string(r) : std::to_string(100 * r + c));
        const std::string path = Path(keyword + ".txt");
        ASSERT_TRUE(WriteFileAtomic(path, TableFileBytes(g, keyword)).Ok());
        std::vector<TablePoint> pts;
        ASSERT_EQ(ReadTableFile(path, keyword, pts), TableIo::Ok);
        ASSERT_EQ(pts.size(), 3u) << keyword;
        GridCells back(6, 500);
        FillTableGrid(back, pts, keyword);
        EXPECT_EQ(TableFileText(back, keyword) == TableFileText(g, keyword),
                  keyword == "nxy")  // the others gain three decimals
            << keyword;
        for (int c = 1; c < cols; ++c)
            EXPECT_EQ(ParseReal(back.Cell(c, 3)), 300 + c) << keyword << " col " << c;
    }
}

TEST_F(TempDir, Cp1252NamesAndUtf8Input) {
    GridCells g(3, 500);
    Put(g, 1, {"Citt\xC3\xA0\xE2\x82\xAC", "1", "2"});  // Città€
    const std::string path = Path("accent.imm");
    ASSERT_TRUE(WriteFileAtomic(path, TableFileBytes(g, "nxy")).Ok());
    EXPECT_EQ(ReadBytes(path), "Citt\xE0\x80  1  2\r\n");
    std::vector<TablePoint> pts;
    ASSERT_EQ(ReadTableFile(path, "nxy", pts), TableIo::Ok);
    EXPECT_EQ(pts.at(0).name, "Citt\xC3\xA0\xE2\x82\xAC");

    const std::string utf8Path = Path("utf8.ogg");
    WriteBytes(utf8Path, "\xEF\xBB\xBFPi\xC3\xB9  1,5  2\n");
    ASSERT_EQ(ReadTableFile(utf8Path, "nxy_1", pts), TableIo::Ok);
    EXPECT_EQ(pts.at(0).name, "Pi\xC3\xB9");
    EXPECT_DOUBLE_EQ(pts[0].coord[0], 1.5);
}

TEST_F(TempDir, AHugeFileIsReadOnlyAsFarAsItsPointsGo) {
    std::string text;
    for (int i = 1; i <= 200000; ++i) text += "Pi\xC3\xB9" + std::to_string(i) + "  1  2\n";
    const std::string path = Path("huge.ogg");
    WriteBytes(path, text);
    std::vector<TablePoint> pts;
    ASSERT_EQ(ReadTableFile(path, "nxy_1", pts), TableIo::Ok);
    ASSERT_EQ(pts.size(), 500u);
    EXPECT_EQ(pts[499].name, "Pi\xC3\xB9" "500");  // still read as UTF-8
}

TEST_F(TempDir, FailuresAreReported) {
    GridCells g(3, 500);
    Put(g, 1, {"1", "2", "3"});
    std::vector<TablePoint> pts{TablePoint{"stale", {}}};
    EXPECT_EQ(ReadTableFile(Path("missing.imm"), "nxy", pts), TableIo::CannotOpen);
    EXPECT_TRUE(pts.empty());
    EXPECT_EQ(ReadTableFile(dir_.string(), "nxy", pts), TableIo::CannotOpen);
    // A keyword without a writer gives no bytes.
    EXPECT_EQ(TableFileBytes(g, "nxy_1"), "");
}
