#include <gtest/gtest.h>

#include <cmath>
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

TEST(ParseTableText, LineEndsCtrlZAndBlankLinesSkipped) {
    for (const char* eol : {"\r\n", "\n", "\r"}) {
        std::string text = std::string("1  10  20") + eol + "2 11 21" + eol;
        auto pts = ParseTableText(text, "nxy").points;
        ASSERT_EQ(pts.size(), 2u) << "eol size " << std::string(eol).size();
        EXPECT_EQ(pts[1].name, "2");
        EXPECT_DOUBLE_EQ(pts[1].coord[1], 21.0);
    }
    auto pts = ParseTableText(
                   "1 2 3\r\n4 5 6\x1A"
                   "7 8 9\r\n",
                   "nxy")
                   .points;
    EXPECT_EQ(pts.size(), 2u);
    EXPECT_DOUBLE_EQ(pts[1].coord[1], 6.0);
    // A blank first line, an empty line and a line of blanks and tabs are
    // skipped: every point after them loads.
    const TableRead read = ParseTableText("\r\n1 2 3\n\r\n \t \r\n5 6 7\n", "nxy");
    ASSERT_EQ(read.points.size(), 2u);
    EXPECT_EQ(read.points[1].name, "5");
    EXPECT_TRUE(read.issues.empty());
    GridCells g(3, 600);
    FillTableGrid(g, read.points, "nxy");
    EXPECT_EQ(CountPoints(g), 2);
    EXPECT_TRUE(ParseTableText("1 2 3\n", "nxxy").points.empty());
}

TEST(ParseTableText, FieldsCommasAndTabs) {
    auto pts = ParseTableText("7  12,5  3,25\r\n7,12,5\r\n8\t1\t2\r\n 9  1 \r\n", "nxy_1").points;
    ASSERT_EQ(pts.size(), 4u);
    EXPECT_DOUBLE_EQ(pts[0].coord[0], 12.5);
    EXPECT_DOUBLE_EQ(pts[0].coord[1], 3.25);
    EXPECT_EQ(pts[1].name, "7.12.5");
    EXPECT_EQ(pts[1].coord[0], UnreadableValue);
    EXPECT_EQ(pts[2].name, "8");  // tab-separated, as spreadsheets export
    EXPECT_DOUBLE_EQ(pts[2].coord[0], 1.0);
    EXPECT_DOUBLE_EQ(pts[2].coord[1], 2.0);
    EXPECT_EQ(pts[3].name, "9");
    EXPECT_EQ(pts[3].coord[1], UnreadableValue);  // missing field

    GridCells g(3, 500);
    FillTableGrid(g, pts, "nxy_1");
    EXPECT_EQ(g.Cell(1, 1), "12.500");
    EXPECT_EQ(g.Cell(2, 1), "3.250");
    EXPECT_EQ(g.Cell(1, 2), "0.000");
    GridCells h(3, 500);
    FillTableGrid(h, ParseTableText("5 134 812.6\n", "nxy").points, "nxy");
    EXPECT_EQ(h.Cell(1, 1), "134");
    EXPECT_EQ(h.Cell(2, 1), "813");
}

struct IssueCase {
    const char* text;
    std::vector<LineIssue> expected;
};

class LineIssues : public ::testing::TestWithParam<IssueCase> {};

TEST_P(LineIssues, LinesStillLoadAndTheFaultsAreListed) {
    const TableRead read = ParseTableText(GetParam().text, "nxy_1");
    ASSERT_EQ(read.issues.size(), GetParam().expected.size()) << GetParam().text;
    for (size_t i = 0; i < read.issues.size(); ++i) {
        const LineIssue& got = read.issues[i];
        const LineIssue& want = GetParam().expected[i];
        EXPECT_EQ(got.line, want.line) << i;
        EXPECT_EQ(got.fault, want.fault) << i;
        EXPECT_EQ(got.value, want.value) << i;
        EXPECT_EQ(got.firstLine, want.firstLine) << i;
    }
    for (const TablePoint& p : read.points)
        for (double v : p.coord) EXPECT_TRUE(std::isfinite(v));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, LineIssues,
    ::testing::Values(
        IssueCase{"1 2 3\r\n2 5\r\n", {{2, LineFault::MissingValue, 2}}},
        IssueCase{"1 nan inf\r\n",
                  {{1, LineFault::UnreadableValue, 1}, {1, LineFault::UnreadableValue, 2}}},
        IssueCase{"1\r\n", {{1, LineFault::MissingValue, 1}, {1, LineFault::MissingValue, 2}}},
        IssueCase{"1 1e-16 2\r\n", {}},  // a written 1e-16 is a number
        IssueCase{"A 1 2\r\n\r\nB 1 2\r\nA 3 4\r\na 1 1\r\n",
                  {{4, LineFault::DuplicateName, 0, 1}}},
        IssueCase{"\r\n\r\n7 x 2\r\n", {{3, LineFault::UnreadableValue, 1}}}));

TEST(ParseTableText, LongNamesAreCutAt255CharactersAndTheLimitIsSaid) {
    std::string name;
    for (int i = 0; i < 300; ++i) name += "\xC3\xA0";  // two bytes each
    TableRead read = ParseTableText(name + " 1 2\n", "nxy");
    ASSERT_EQ(read.points.size(), 1u);
    EXPECT_EQ(read.points[0].name.size(), 2u * MaxNameLength);
    ASSERT_EQ(read.issues.size(), 1u);
    EXPECT_EQ(read.issues[0].fault, LineFault::LongName);

    std::string text = "\r\n";
    for (int i = 1; i <= 600; ++i) text += std::to_string(i) + "  " + std::to_string(i) + "  1\r\n";
    read = ParseTableText(text, "nxy");
    ASSERT_EQ(read.points.size(), 500u);
    EXPECT_EQ(read.points.back().name, "500");
    ASSERT_EQ(read.issues.size(), 1u);
    EXPECT_EQ(read.issues[0].fault, LineFault::PastLimit);
    EXPECT_EQ(read.issues[0].line, 502);
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
        TableRead read;
        ASSERT_EQ(ReadTableFile(path, keyword, read), TableIo::Ok);
        ASSERT_EQ(read.points.size(), 3u) << keyword;
        GridCells back(6, 500);
        FillTableGrid(back, read.points, keyword);
        EXPECT_EQ(TableFileText(back, keyword) == TableFileText(g, keyword),
                  keyword == "nxy")  // the others gain three decimals
            << keyword;
        for (int c = 1; c < cols; ++c)
            EXPECT_EQ(ParseReal(back.Cell(c, 3)), 300 + c) << keyword << " col " << c;
    }
}

TEST_F(TempDir, ThreeDecimalCoordinatesSurviveALoadAndASaveByteForByte) {
    // Local systems with an origin of 1000 or 5000 m, and a national grid.
    const std::string text =
        "P1  1234.567  5012.345\r\nP2  1500012.345  5034567.891\r\nP3  -0.001  9999999.999\r\n";
    WriteBytes(Path("in.ogg"), text);
    TableRead read;
    ASSERT_EQ(ReadTableFile(Path("in.ogg"), "nxy_1", read), TableIo::Ok);
    GridCells g(3, 500);
    FillTableGrid(g, read.points, "nxy_1");
    EXPECT_EQ(g.Cell(1, 2), "1500012.345");
    EXPECT_EQ(TableFileText(g, "nxy"), text);
    GridCells px(5, 500);
    FillTableGrid(px, ParseTableText("1 1234.567 5012.5 1 2\n", "nxyxy").points, "nxyxy");
    EXPECT_EQ(px.Cell(1, 1), "1235");  // pixel columns keep no decimals
    EXPECT_EQ(px.Cell(2, 1), "5013");
}

TEST_F(TempDir, Cp1252NamesAndUtf8Input) {
    GridCells g(3, 500);
    Put(g, 1, {"Citt\xC3\xA0\xE2\x82\xAC", "1", "2"});  // Città€
    const std::string path = Path("accent.imm");
    ASSERT_TRUE(WriteFileAtomic(path, TableFileBytes(g, "nxy")).Ok());
    EXPECT_EQ(ReadBytes(path), "Citt\xE0\x80  1  2\r\n");
    TableRead read;
    ASSERT_EQ(ReadTableFile(path, "nxy", read), TableIo::Ok);
    EXPECT_EQ(read.points.at(0).name, "Citt\xC3\xA0\xE2\x82\xAC");

    const std::string utf8Path = Path("utf8.ogg");
    WriteBytes(utf8Path, "\xEF\xBB\xBFPi\xC3\xB9  1,5  2\n");
    ASSERT_EQ(ReadTableFile(utf8Path, "nxy_1", read), TableIo::Ok);
    EXPECT_EQ(read.points.at(0).name, "Pi\xC3\xB9");
    EXPECT_DOUBLE_EQ(read.points[0].coord[0], 1.5);
}

TEST_F(TempDir, TheWholeFileDecidesItsEncoding) {
    // UTF-8 names up front, one Windows-1252 byte far past the 500th point:
    // the file is Windows-1252 throughout.
    std::string text = "Pi\xC3\xB9  1  2\r\n";
    for (int i = 0; i < 20000; ++i) text += "P  1  2\r\n";
    WriteBytes(Path("mixed.ogg"), text + "Citt\xE0  1  2\r\n");
    TableRead read;
    ASSERT_EQ(ReadTableFile(Path("mixed.ogg"), "nxy_1", read), TableIo::Ok);
    EXPECT_EQ(read.points.at(0).name, "Pi\xC3\x83\xC2\xB9");
    // A character split between two reads of a valid UTF-8 file keeps it UTF-8.
    const std::string head = "P  1  2\r\n";
    std::string tail = std::string(65535 - head.size(), ' ') + "\xC3\xB9 1 2\r\n";
    WriteBytes(Path("split.ogg"), head + tail);
    ASSERT_EQ(ReadTableFile(Path("split.ogg"), "nxy_1", read), TableIo::Ok);
    ASSERT_EQ(read.points.size(), 2u);
    EXPECT_EQ(read.points[1].name, "\xC3\xB9");
}

// How long such a line takes is bench/table_bench's figure.
TEST_F(TempDir, ATenMegabyteLineLoadsWithItsNameCut) {
    WriteBytes(Path("long.ogg"), "1 1 1\r\n" + std::string(10000000, '7') + "\r\n2 2 2\r\n");
    TableRead read;
    ASSERT_EQ(ReadTableFile(Path("long.ogg"), "nxy_1", read), TableIo::Ok);
    ASSERT_EQ(read.points.size(), 3u);
    EXPECT_EQ(read.points[1].name.size(), 255u);
    EXPECT_EQ(read.points[2].name, "2");
}

TEST_F(TempDir, AHugeFileIsReadOnlyAsFarAsItsPointsGo) {
    std::string text;
    for (int i = 1; i <= 200000; ++i) text += "Pi\xC3\xB9" + std::to_string(i) + "  1  2\n";
    const std::string path = Path("huge.ogg");
    WriteBytes(path, text);
    TableRead read;
    ASSERT_EQ(ReadTableFile(path, "nxy_1", read), TableIo::Ok);
    ASSERT_EQ(read.points.size(), 500u);
    EXPECT_EQ(read.points[499].name,
              "Pi\xC3\xB9"
              "500");  // still read as UTF-8
}

TEST_F(TempDir, FailuresAreReported) {
    GridCells g(3, 500);
    Put(g, 1, {"1", "2", "3"});
    TableRead read{{TablePoint{"stale", {}}}, {}};
    EXPECT_EQ(ReadTableFile(Path("missing.imm"), "nxy", read), TableIo::CannotOpen);
    EXPECT_TRUE(read.points.empty());
    EXPECT_EQ(ReadTableFile(dir_.string(), "nxy", read), TableIo::CannotOpen);
    // A keyword without a writer gives no bytes.
    EXPECT_EQ(TableFileBytes(g, "nxy_1"), "");
}
