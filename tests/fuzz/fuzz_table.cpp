// The table file reader on arbitrary bytes, through the grid and back: the
// first byte picks the layout, the rest is the file. What the grid shows is
// what a save writes and a new load reads again.
#include <cmath>
#include <string>
#include <vector>

#include "platform/igrid.h"
#include "tables/u_omnia.h"
#include "tables/u_stringhe.h"
#include "tests/fuzz/fuzz_common.h"

namespace {

const char* const kLayouts[] = {"nxy", "nxy_1", "nxyz", "nxyxy", "nxyxyz", "npar"};
constexpr int kLayoutCount = sizeof kLayouts / sizeof *kLayouts;

bool IsNumberCell(const std::string& s) {
    return !s.empty() && s.find_first_not_of("-.0123456789E") == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string keyword = kLayouts[data[0] % kLayoutCount];
    TableRead read;
    const TableIo io = ReadTableFile(fuzz::WriteScratch(".tab", data + 1, size - 1), keyword, read);
    const std::vector<TablePoint>& points = read.points;
    fuzz::Check(io == TableIo::Ok, "a readable file reads");
    fuzz::Check(points.size() <= static_cast<size_t>(MaxTablePoints), "at most 500 points");
    for (const TablePoint& p : points) {
        fuzz::Check(p.name.find(' ') == std::string::npos, "a name holds no blank");
        for (double c : p.coord) fuzz::Check(std::isfinite(c), "coordinates are finite");
    }

    GridCells grid(6, 500);
    FillTableGrid(grid, points, keyword);
    const int n = CountPoints(grid);
    fuzz::Check(n <= MaxTablePoints, "the grid holds at most 500 points");
    const int columns = keyword == "nxyxyz"  ? 6
                        : keyword == "nxyxy" ? 5
                        : keyword == "nxyz"  ? 4
                                             : 3;
    if (keyword == "npar") return 0;
    for (int r = 1; r <= n; ++r)
        for (int c = 1; c < columns; ++c)
            fuzz::Check(IsNumberCell(grid.Cell(c, r)), "a coordinate cell is a number");

    // Saved and read again, the table comes back as the grid shows it.
    const std::string writer = keyword == "nxy_1" ? "nxy" : keyword;
    const std::vector<TablePoint> again =
        ParseTableText(TableFileText(grid, writer), keyword).points;
    for (int r = 1; r <= n; ++r) {
        const TablePoint& p = again.at(r - 1);
        fuzz::Check(p.name == grid.Cell(0, r), "a name survives a save");
        for (int c = 1; c < columns; ++c)
            fuzz::Check(p.coord[c - 1] == ParseReal(grid.Cell(c, r)), "a cell survives a save");
    }
    return 0;
}
