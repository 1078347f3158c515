// Time to read a table file whose one line is ten megabytes long (a picture
// saved under a table's name, say) against a file of the same size made of
// short blank lines. A long line should cost about what its bytes cost:
// the ratio stays near 1 unless the reader turns quadratic on it.
//
//   table_bench
//
// Both files are written to /tmp first. Each read runs five times; the best
// time counts.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "tables/u_omnia.h"

namespace {

constexpr std::size_t kBytes = 10000000;

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return bool(out);
}

// Best of five reads, in seconds; negative when the file cannot be read.
double BestRead(const std::string& path, std::size_t& points) {
    double best = -1;
    for (int i = 0; i < 5; ++i) {
        TableRead read;
        const auto start = std::chrono::steady_clock::now();
        if (ReadTableFile(path, "nxy_1", read) != TableIo::Ok) return -1;
        const double s =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (best < 0 || s < best) best = s;
        points = read.points.size();
    }
    return best;
}

}  // namespace

int main() {
    const std::string longPath = "/tmp/vek_table_bench_long.ogg";
    const std::string plainPath = "/tmp/vek_table_bench_plain.ogg";
    // Blank lines carry no point and are skipped, so the reader goes
    // through every byte of the baseline as it does through the long line.
    std::string plain;
    while (plain.size() < kBytes) plain += std::string(98, ' ') + "\r\n";
    if (!WriteFile(longPath, "1 1 1\r\n" + std::string(kBytes, '7') + "\r\n2 2 2\r\n") ||
        !WriteFile(plainPath, plain)) {
        std::fprintf(stderr, "cannot write the files in /tmp\n");
        return 1;
    }
    std::size_t longPoints = 0, plainPoints = 0;
    const double longLine = BestRead(longPath, longPoints);
    const double shortLines = BestRead(plainPath, plainPoints);
    std::remove(longPath.c_str());
    std::remove(plainPath.c_str());
    if (longLine < 0 || shortLines < 0) {
        std::fprintf(stderr, "a file could not be read\n");
        return 1;
    }
    std::printf("one 10 MB line:          %8.1f ms (%zu points)\n", 1e3 * longLine, longPoints);
    std::printf("10 MB of blank lines:    %8.1f ms (%zu points)\n", 1e3 * shortLines, plainPoints);
    std::printf("ratio long line / lines: %8.2f\n", longLine / shortLines);
    return 0;
}
