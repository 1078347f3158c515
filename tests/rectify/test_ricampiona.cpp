#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cfenv>
#include <cmath>
#include <cstdlib>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "rectify/u_ricampiona.h"
#include "rectify/u_ricampiona_colore.h"
#include "rectify/u_ricampiona_mappa.h"
#include "tests/grid_shift.h"

namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr Interpolation kKinds[] = {Interpolation::Nearest, Interpolation::Bilinear,
                                    Interpolation::Bicubic};

// A source whose every pixel is different: x in the green byte, y in red,
// noise in blue.
Raster MakeSource(int w, int h, unsigned seed = 1) {
    Raster r;
    r.Allocate(w, h);
    std::mt19937 gen(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            r.Row(y)[x] = kBlack | (y & 0xFF) << 16 | (x & 0xFF) << 8 | (gen() & 0xFF);
    return r;
}

Raster RunResample(const Raster& src, const ResampleGeometry& g, Interpolation kind,
                   int threads = 1) {
    const OutputSize size = ComputeOutputSize(g.X1, g.Y1, g.X2, g.Y2, g.s, g.fx, g.fy);
    Raster out;
    out.Allocate(static_cast<int>(size.W), static_cast<int>(size.H));
    Resample(ViewOf(src), out, g, kind, threads);
    return out;
}

// The literal 80-bit choice of one output pixel.
struct Choice {
    bool black = true;
    long long ix = 0, iy = 0;
    long double a = 0, b = 0;
};

Choice ReferenceChoice(const ResampleGeometry& g, Interpolation kind, int sw, int sh, int c,
                       int r) {
    const long double Xin = std::min(g.X1, g.X2), Yin = std::max(g.Y1, g.Y2);
    const long double X = Xin + g.s * c / g.fx, Y = Yin - g.s * r / g.fy;
    const auto& p = g.model.p;
    const long double w = p[6] * X + p[7] * Y + 1;
    Choice ch;
    if (w == 0) return ch;
    const long double x = (p[0] * X + p[2] * Y + p[4]) / w, y = (p[1] * X + p[3] * Y + p[5]) / w;
    if (!(std::fabs(x) < 2e9L && std::fabs(y) < 2e9L)) return ch;
    const bool cubic = kind == Interpolation::Bicubic;
    ch.ix = static_cast<long long>(cubic ? std::floor(x) : std::truncl(x));
    ch.iy = static_cast<long long>(cubic ? std::floor(y) : std::truncl(y));
    ch.a = x - ch.ix;
    ch.b = y - ch.iy;
    if (kind == Interpolation::Nearest) {
        ch.ix += ch.a >= 0.5L;
        ch.iy += ch.b >= 0.5L;
        ch.black = ch.ix < 0 || ch.ix >= sw || ch.iy < 0 || ch.iy >= sh;
    } else if (cubic) {
        ch.black = ch.ix < -2 || ch.ix > sw || ch.iy < -2 || ch.iy > sh;
    } else {
        ch.black = ch.ix < -1 || ch.ix >= sw || ch.iy < -1 || ch.iy >= sh;
    }
    return ch;
}

uint32_t ReferencePixel(const Raster& src, const Choice& ch, Interpolation kind) {
    auto at = [&](long long x, long long y) {
        return x >= 0 && x < src.Width() && y >= 0 && y < src.Height() ? src.Row(y)[x] : kBlack;
    };
    if (ch.black) return kBlack;
    if (kind == Interpolation::Nearest) return at(ch.ix, ch.iy);
    uint32_t out = kBlack;
    if (kind == Interpolation::Bicubic) {
        // The cubic convolution kernel, a = -0.5, at distance d.
        auto kernel = [](long double d) {
            d = std::fabs(d);
            return d <= 1  ? (1.5L * d - 2.5L) * d * d + 1
                   : d < 2 ? ((-0.5L * d + 2.5L) * d - 4) * d + 2
                           : 0.0L;
        };
        for (int sh = 0; sh < 24; sh += 8) {
            long double v = 0;
            for (int j = -1; j <= 2; ++j)
                for (int i = -1; i <= 2; ++i)
                    v += kernel(i - ch.a) * kernel(j - ch.b) *
                         (at(ch.ix + i, ch.iy + j) >> sh & 0xFF);
            out |= static_cast<uint32_t>(std::clamp(std::nearbyintl(v), 0.0L, 255.0L)) << sh;
        }
        return out;
    }
    for (int sh = 0; sh < 24; sh += 8) {
        const long double c00 = at(ch.ix, ch.iy) >> sh & 0xFF;
        const long double c10 = at(ch.ix + 1, ch.iy) >> sh & 0xFF;
        const long double c01 = at(ch.ix, ch.iy + 1) >> sh & 0xFF;
        const long double c11 = at(ch.ix + 1, ch.iy + 1) >> sh & 0xFF;
        const long double v =
            c00 + (c10 - c00) * ch.a + (c01 - c00) * ch.b + (c00 - c10 - c01 + c11) * ch.a * ch.b;
        out |= static_cast<uint32_t>(std::clamp(std::nearbyintl(v), 0.0L, 255.0L)) << sh;
    }
    return out;
}

// ---------------------------------------------------------------------------
// The worked examples: output pixel (c, r) must be source pixel (sx, sy), or
// black where sx < 0.
struct Probe {
    int c, r, sx, sy;
};
struct ExampleCase {
    std::string name;
    Interpolation kind;
    Projective model;
    long double s, fx, fy, X1, Y1, X2, Y2;
    long long W, H;
    std::vector<Probe> probes;
};

void PrintTo(const ExampleCase& e, std::ostream* os) { *os << e.name; }

Projective Shifted(long double dx, long double p7 = 0) {
    Projective m;
    m.p[4] = dx;
    m.p[6] = p7;
    return m;
}

constexpr int kSW = 20, kSH = 12;
// Identity on a 20 x 12 source: upside down, row 0 at Y = 12 (outside).
const std::vector<Probe> kUpsideDown = {
    {0, 0, -1, -1}, {3, 1, 3, 11}, {5, 11, 5, 1}, {19, 6, 19, 6}};

std::vector<ExampleCase> Examples() {
    const auto N = Interpolation::Nearest, B = Interpolation::Bilinear, C = Interpolation::Bicubic;
    const Projective id;
    return {
        {"IdentityNearest", N, id, 1, 1, 1, 0, 0, kSW, kSH, kSW, kSH, kUpsideDown},
        {"IdentityBilinear", B, id, 1, 1, 1, 0, 0, kSW, kSH, kSW, kSH, kUpsideDown},
        {"IdentityBicubic", C, id, 1, 1, 1, 0, 0, kSW, kSH, kSW, kSH, kUpsideDown},
        {"ShiftBicubic",
         C,
         Shifted(-3),
         1,
         1,
         1,
         0,
         0,
         kSW,
         kSH,
         kSW,
         kSH,
         {{2, 1, -1, -1}, {3, 1, 0, 11}, {5, 11, 2, 1}}},
        {"YLimitsReversed", N, id, 1, 1, 1, 0, kSH, kSW, 0, kSW, kSH, kUpsideDown},
        {"XLimitsReversedNearest", N, id, 1, 1, 1, kSW, 0, 0, kSH, kSW, kSH, kUpsideDown},
        {"XLimitsReversedBilinear", B, id, 1, 1, 1, kSW, kSH, 0, 0, kSW, kSH, kUpsideDown},
        {"Nearest10_5", N, Shifted(10.5L), 1, 1, 1, 0, 0, 2, 5, 2, 5, {{0, 0, 11, 5}}},
        {"Nearest10_49", N, Shifted(10.49L), 1, 1, 1, 0, 0, 2, 5, 2, 5, {{0, 0, 10, 5}}},
        {"NearestMinus0_7", N, Shifted(-0.7L), 1, 1, 1, 0, 0, 2, 5, 2, 5, {{0, 0, 0, 5}}},
        {"NearestMinus1_2", N, Shifted(-1.2L), 1, 1, 1, 0, 0, 2, 5, 2, 5, {{0, 0, -1, -1}}},
        {"FxTwo", N, id, 1, 2, 1, 0, 0, 4, 3, 8, 3, {{2, 1, 1, 2}, {3, 1, 2, 2}, {7, 2, 4, 1}}},
        // w = 1 - X/4 is 0 at column 4; columns 5.. map to the far side.
        {"DenominatorZero",
         B,
         Shifted(0, -0.25L),
         1,
         1,
         1,
         0,
         0,
         8,
         3,
         8,
         3,
         {{4, 1, -1, -1}, {0, 1, 0, 2}, {6, 1, -1, -1}}},
    };
}

class ResampleExample : public testing::TestWithParam<ExampleCase> {};

TEST_P(ResampleExample, ReadsTheExpectedSourcePixels) {
    const ExampleCase& e = GetParam();
    const Raster src = MakeSource(kSW, kSH);
    const ResampleGeometry g{e.model, e.s, e.fx, e.fy, e.X1, e.Y1, e.X2, e.Y2};
    std::feclearexcept(FE_ALL_EXCEPT);
    const Raster out = RunResample(src, g, e.kind, 2);
    EXPECT_FALSE(std::fetestexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW));
    ASSERT_EQ(out.Width(), e.W);
    ASSERT_EQ(out.Height(), e.H);
    for (const Probe& p : e.probes) {
        const uint32_t want = p.sx < 0 ? kBlack : src.Row(p.sy)[p.sx];
        EXPECT_EQ(out.Row(p.r)[p.c], want) << "output pixel " << p.c << ", " << p.r;
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, ResampleExample, testing::ValuesIn(Examples()),
                         [](const auto& info) { return info.param.name; });

// ---------------------------------------------------------------------------
// Random homographies. Half of them are affine on a decimal grid (pixel size
// 0.1, limits in tenths, coefficients in halves and quarters), so that many
// positions fall on integers and half-pixels in exact arithmetic, where
// double and 80-bit roundings part and the fast mapping must defer. Far
// geometries have their object plane moved into a national grid
// (1 500 km east, 5 000 km north), where X and Y carry seven integer digits.
ResampleGeometry RandomGeometry(std::mt19937_64& gen, int sw, int sh, bool grid, bool far = false) {
    std::uniform_real_distribution<double> u(-1, 1);
    std::uniform_int_distribution<int> k(-8, 8);
    ResampleGeometry g;
    auto& p = g.model.p;
    long double A = 40, B = 30;
    if (grid) {
        A = 8;
        B = 6;
        p = {std::round(sw / A * 2) / 2 + k(gen) / 2.0L,
             k(gen) / 4.0L,
             k(gen) / 4.0L,
             -std::round(sh / B * 2) / 2 + k(gen) / 2.0L,
             k(gen) / 4.0L,
             sh + k(gen) / 4.0L,
             0,
             0};
        g.s = 0.1L;
        g.fx = (k(gen) & 1) ? 1 : 2;
        g.X1 = k(gen) / 10.0L;
        g.Y1 = k(gen) / 10.0L;
    } else {
        p = {sw / A * (1 + 0.4L * u(gen)),
             sh / A * 0.3L * u(gen),
             sw / B * 0.3L * u(gen),
             -sh / B * (1 + 0.4L * u(gen)),
             sw * 0.2L * u(gen),
             sh * (1 + 0.2L * u(gen)),
             0.5L * u(gen) / A,
             0.5L * u(gen) / B};
        g.s = 0.4L + 0.3L * u(gen);
        g.fx = 1 + 0.5L * u(gen);
        g.fy = 1 + 0.5L * u(gen);
        g.X1 = 5 * u(gen);
        g.Y1 = 5 * u(gen);
    }
    g.X2 = g.X1 + A;
    g.Y2 = g.Y1 + B;
    if (far) {
        const long double X0 = 1500000, Y0 = 5000000;
        g.model = ShiftInput(g.model, X0, Y0);
        g.X1 += X0;
        g.X2 += X0;
        g.Y1 += Y0;
        g.Y2 += Y0;
    }
    return g;
}

TEST(ResampleFast, ChoosesTheSamePixelsAsTheExtendedComputation) {
    std::mt19937_64 gen(11);
    int onBoundary = 0;
    for (int trial = 0; trial < 120; ++trial) {
        const int sw = 40 + trial % 7 * 13, sh = 30 + trial % 5 * 11;
        const ResampleGeometry g = RandomGeometry(gen, sw, sh, trial % 2 == 0, trial % 3 == 2);
        const OutputSize size = ComputeOutputSize(g.X1, g.Y1, g.X2, g.Y2, g.s, g.fx, g.fy);
        for (Interpolation kind : kKinds)
            for (bool vectorised : {true, false}) {
                RowMapper mapper(g, static_cast<int>(size.W), sw, sh, kind, vectorised);
                SampleBlock block;
                for (int r = 0; r < size.H; ++r) {
                    mapper.SetRow(r);
                    for (int c0 = 0; c0 < size.W; c0 += SampleBlock::kSize) {
                        const int n = std::min<int>(SampleBlock::kSize, size.W - c0);
                        mapper.Map(c0, n, block);
                        for (int k = 0; k < n; ++k) {
                            const int c = c0 + k;
                            const Choice ch = ReferenceChoice(g, kind, sw, sh, c, r);
                            const bool outsideSpan =
                                c < mapper.SpanBegin() || c >= mapper.SpanEnd();
                            ASSERT_EQ(block.ix[k] == kBlackPixel, ch.black)
                                << "trial " << trial << " pixel " << c << ", " << r;
                            ASSERT_TRUE(!outsideSpan || ch.black);
                            if (ch.black) continue;
                            ASSERT_EQ(block.ix[k], ch.ix) << "trial " << trial << " c " << c;
                            ASSERT_EQ(block.iy[k], ch.iy) << "trial " << trial << " r " << r;
                            onBoundary += std::fabs(ch.a - std::nearbyintl(2 * ch.a) / 2) < 1e-12L;
                        }
                    }
                }
            }
    }
    EXPECT_GT(onBoundary, 1000);  // the exact boundaries were really visited
}

TEST(ResampleFast, OutputMatchesTheExtendedComputation) {
    std::mt19937_64 gen(7);
    for (int trial = 0; trial < 20; ++trial) {
        const int sw = 60 + trial * 3, sh = 45 + trial * 2;
        const Raster src = MakeSource(sw, sh, trial);
        const ResampleGeometry g = RandomGeometry(gen, sw, sh, trial % 2 == 0);
        for (Interpolation kind : kKinds) {
            std::vector<std::pair<int, int>> reports;
            const OutputSize size = ComputeOutputSize(g.X1, g.Y1, g.X2, g.Y2, g.s, g.fx, g.fy);
            Raster out;
            out.Allocate(static_cast<int>(size.W), static_cast<int>(size.H));
            Resample(ViewOf(src), out, g, kind, 2,
                     [&](int first, int end) { reports.emplace_back(first, end); });
            ASSERT_FALSE(reports.empty());
            for (std::size_t i = 0; i < reports.size(); ++i)
                EXPECT_EQ(reports[i].first, i == 0 ? 0 : reports[i - 1].second);
            EXPECT_EQ(reports.back().second, out.Height());
            for (int r = 0; r < out.Height(); ++r)
                for (int c = 0; c < out.Width(); ++c) {
                    const uint32_t want =
                        ReferencePixel(src, ReferenceChoice(g, kind, sw, sh, c, r), kind);
                    const uint32_t got = out.Row(r)[c];
                    if (kind == Interpolation::Nearest) {
                        ASSERT_EQ(got, want) << "trial " << trial << " pixel " << c << ", " << r;
                        continue;
                    }
                    for (int sh8 = 0; sh8 < 32; sh8 += 8)  // float blends: at most 1 off
                        ASSERT_LE(std::abs(int(got >> sh8 & 0xFF) - int(want >> sh8 & 0xFF)), 1)
                            << "trial " << trial << " pixel " << c << ", " << r;
                }
        }
    }
}

// The fast paths (mapping and bilinear in the widest registers, rows stored
// past the caches, two threads) against the plain ones (scalar double
// mapping, no AVX-512 writer, one row at a time): the same bytes.
TEST(ResampleFast, WritesTheSameBytesAsThePlainPaths) {
    std::mt19937_64 gen(13);
    for (int trial = 0; trial < 30; ++trial) {
        const int sw = 40 + trial % 7 * 13, sh = 30 + trial % 5 * 11;
        const Raster src = MakeSource(sw, sh, trial);
        const ResampleGeometry g = RandomGeometry(gen, sw, sh, trial % 2 == 0, trial % 3 == 2);
        for (Interpolation kind : kKinds) {
            const Raster fast = RunResample(src, g, kind, 2);
            RowMapper mapper(g, fast.Width(), sw, sh, kind, false);
            const PixelWriter write = ChoosePixelWriter(kind, false);
            SampleBlock block;
            std::vector<uint32_t> row;
            for (int r = 0; r < fast.Height(); ++r) {
                row.assign(fast.Width(), kBlack);
                mapper.SetRow(r);
                for (int c0 = mapper.SpanBegin(); c0 < mapper.SpanEnd(); c0 += SampleBlock::kSize) {
                    const int n = std::min(SampleBlock::kSize, mapper.SpanEnd() - c0);
                    mapper.Map(c0, n, block);
                    write(ViewOf(src), block, n, row.data() + c0);
                }
                ASSERT_TRUE(std::equal(row.begin(), row.end(), fast.Row(r)))
                    << "trial " << trial << " kind " << int(kind) << " row " << r;
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Bicubic on quarter pixels: every weight and sum is exact in float there.
// x = 0.75 X + 1.25, y = 20.25 - 0.5 Y over a 40 x 30 source, all inside.
constexpr int kRampW = 40, kRampH = 30;
ResampleGeometry QuarterPixels(bool mirrored) {
    ResampleGeometry g;
    g.model.p = {0.75L, 0, 0, -0.5L, 1.25L, 20.25L, 0, 0};
    if (mirrored)  // x -> 39 - x, y -> 29 - y
        g.model.p = {-0.75L, 0, 0, 0.5L, kRampW - 1 - 1.25L, kRampH - 1 - 20.25L, 0, 0};
    g.X2 = kRampW;
    g.Y2 = kRampH;
    return g;
}

TEST(ResampleBicubic, ReproducesALinearRampExactly) {
    Raster ramp;
    ramp.Allocate(kRampW, kRampH);
    auto value = [](long double x, long double y) {
        return std::array<long double, 3>{2 * x + 2 * y, 4 * y + 10, 4 * x + 10};
    };
    for (int y = 0; y < kRampH; ++y)
        for (int x = 0; x < kRampW; ++x) {
            const auto v = value(x, y);
            ramp.Row(y)[x] = kBlack | uint32_t(v[0]) << 16 | uint32_t(v[1]) << 8 | uint32_t(v[2]);
        }
    const Raster out = RunResample(ramp, QuarterPixels(false), Interpolation::Bicubic);
    for (int r = 0; r < out.Height(); ++r)
        for (int c = 0; c < out.Width(); ++c) {
            const auto v = value(0.75L * c + 1.25L, 20.25L - 0.5L * (kRampH - r));
            for (int ch = 0; ch < 3; ++ch)
                ASSERT_EQ(out.Row(r)[c] >> (16 - 8 * ch) & 0xFF, std::nearbyintl(v[ch]))
                    << "pixel " << c << ", " << r << " channel " << ch;
        }
}

// The source turned about both axes, read at the turned positions, gives the
// same picture: the kernel weighs a neighbour by its distance alone.
TEST(ResampleBicubic, KernelIsSymmetric) {
    const Raster src = MakeSource(kRampW, kRampH, 5);
    Raster turned;
    turned.Allocate(kRampW, kRampH);
    for (int y = 0; y < kRampH; ++y)
        for (int x = 0; x < kRampW; ++x) turned.Row(kRampH - 1 - y)[kRampW - 1 - x] = src.Row(y)[x];
    const Raster a = RunResample(src, QuarterPixels(false), Interpolation::Bicubic);
    const Raster b = RunResample(turned, QuarterPixels(true), Interpolation::Bicubic);
    ASSERT_EQ(a.Width(), b.Width());
    for (int r = 0; r < a.Height(); ++r)
        for (int c = 0; c < a.Width(); ++c)
            ASSERT_EQ(a.Row(r)[c], b.Row(r)[c]) << "pixel " << c << ", " << r;
}

}  // namespace
