// Times the resampling kernels on a 6000 x 4000 photograph rectified into a
// 6000 x 4000 picture under an oblique homography, on one thread and on all
// cores, against a memcpy of the output and, where OpenCV is installed, its
// warpPerspective on the same data. One line per measurement:
//   <case> <threads> threads: <ns> ns/px, <m> x memcpy
// (m: the time as a multiple of the memcpy floor), with the ratio of ours to
// OpenCV after each pair as
//   ratio-<case> <threads> threads: <r> x
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

#include "rectify/u_ricampiona.h"

#ifdef VEK_BENCH_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

namespace {

constexpr int kW = 6000, kH = 4000;

// Best of five runs of each, in ns per output pixel. The runs of several
// contenders alternate, so that a busy machine slows them alike.
std::vector<double> NsPerPixel(const std::vector<std::function<void()>>& runs) {
    std::vector<double> best(runs.size(), 1e300);
    for (int round = 0; round < 5; ++round)
        for (std::size_t i = 0; i < runs.size(); ++i) {
            const auto t0 = std::chrono::steady_clock::now();
            runs[i]();
            const auto t1 = std::chrono::steady_clock::now();
            best[i] = std::min(best[i], std::chrono::duration<double, std::nano>(t1 - t0).count());
        }
    for (double& b : best) b /= static_cast<double>(kW) * kH;
    return best;
}

void Fill(Raster& r) {
    for (int y = 0; y < r.Height(); ++y)
        for (int x = 0; x < r.Width(); ++x)
            r.Row(y)[x] = 0xFF000000u | ((x * 7 + y * 3) & 0xFF) << 16 | ((x ^ y) & 0xFF) << 8 |
                          ((x * y) >> 4 & 0xFF);
}

// The projective map taking the corners of the unit square (0,0), (1,0),
// (1,1), (0,1) to the four given points, as a 3 x 3 matrix.
void SquareToQuad(const double q[4][2], long double m[3][3]) {
    const long double x0 = q[0][0], y0 = q[0][1], x1 = q[1][0], y1 = q[1][1];
    const long double x2 = q[2][0], y2 = q[2][1], x3 = q[3][0], y3 = q[3][1];
    const long double sx = x0 - x1 + x2 - x3, sy = y0 - y1 + y2 - y3;
    const long double dx1 = x1 - x2, dx2 = x3 - x2, dy1 = y1 - y2, dy2 = y3 - y2;
    const long double den = dx1 * dy2 - dx2 * dy1;
    const long double g = (sx * dy2 - dx2 * sy) / den, h = (dx1 * sy - sx * dy1) / den;
    const long double r[3][3] = {{x1 - x0 + g * x1, x3 - x0 + h * x3, x0},
                                 {y1 - y0 + g * y1, y3 - y0 + h * y3, y0},
                                 {g, h, 1}};
    std::memcpy(m, r, sizeof r);
}

// An oblique facade of 12 x 8 m seen in the photograph, rectified at 2 mm.
ResampleGeometry Oblique(long double out[3][3]) {
    const double quad[4][2] = {{500, 3700}, {5800, 3300}, {5400, 250}, {250, 600}};
    long double m[3][3];
    SquareToQuad(quad, m);
    const long double A = 12, B = 8;  // object (X, Y) -> unit square (X/A, Y/B)
    ResampleGeometry g;
    g.model.p = {m[0][0] / A, m[1][0] / A, m[0][1] / B, m[1][1] / B,
                 m[0][2],     m[1][2],     m[2][0] / A, m[2][1] / B};
    g.s = 0.002L;
    g.X1 = 0;
    g.X2 = A;
    g.Y1 = 0;
    g.Y2 = B;
    // Output pixel (c, r) -> source: the model after X = c*s, Y = B - r*s.
    const long double a[3][3] = {{g.s, 0, 0}, {0, -g.s, B}, {0, 0, 1}};
    const long double h[3][3] = {{g.model.p[0], g.model.p[2], g.model.p[4]},
                                 {g.model.p[1], g.model.p[3], g.model.p[5]},
                                 {g.model.p[6], g.model.p[7], 1}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            out[i][j] = 0;
            for (int k = 0; k < 3; ++k) out[i][j] += h[i][k] * a[k][j];
        }
    return g;
}

// One line per measurement, with the time as a multiple of the memcpy floor.
void Print(const char* name, int threads, double ns, double floor) {
    std::printf("%s %d threads: %.3f ns/px, %.1f x memcpy\n", name, threads, ns, ns / floor);
    std::fflush(stdout);
}

struct Kernel {
    Interpolation kind;
    const char* name;
    const char* opencvName;
    int opencvFlag;
};

}  // namespace

int main() {
    Raster src, out, copy;
    if (!src.Allocate(kW, kH) || !out.Allocate(kW, kH) || !copy.Allocate(kW, kH)) return 1;
    Fill(src);
    long double toSource[3][3];
    const ResampleGeometry g = Oblique(toSource);
    const int all = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const double floor =
        NsPerPixel({[&] { std::memcpy(copy.Data(), out.Data(), sizeof(uint32_t) * kW * kH); }})[0];
    Print("memcpy", 1, floor, floor);
#ifdef VEK_BENCH_OPENCV
    const cv::Mat cvSrc(kH, kW, CV_8UC4, src.Data());
    cv::Mat cvOut(kH, kW, CV_8UC4, copy.Data());
    cv::Mat M(3, 3, CV_64F);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) M.at<double>(i, j) = static_cast<double>(toSource[i][j]);
    const Kernel kernels[] = {
        {Interpolation::Nearest, "nearest", "opencv-nearest", cv::INTER_NEAREST},
        {Interpolation::Bilinear, "bilinear", "opencv-bilinear", cv::INTER_LINEAR},
        {Interpolation::Bicubic, "bicubic", "opencv-bicubic", cv::INTER_CUBIC}};
#else
    const Kernel kernels[] = {{Interpolation::Nearest, "nearest", nullptr, 0},
                              {Interpolation::Bilinear, "bilinear", nullptr, 0},
                              {Interpolation::Bicubic, "bicubic", nullptr, 0}};
#endif

    for (int t : {1, all}) {
        for (const Kernel& k : kernels) {
            std::vector<std::function<void()>> runs = {
                [&] { Resample(ViewOf(src), out, g, k.kind, t); }};
#ifdef VEK_BENCH_OPENCV
            runs.push_back([&] {
                cv::setNumThreads(t);
                cv::warpPerspective(cvSrc, cvOut, M, cvOut.size(),
                                    k.opencvFlag | cv::WARP_INVERSE_MAP, cv::BORDER_CONSTANT,
                                    cv::Scalar(0, 0, 0, 255));
            });
#endif
            const std::vector<double> ns = NsPerPixel(runs);
            Print(k.name, t, ns[0], floor);
            if (ns.size() > 1) {
                Print(k.opencvName, t, ns[1], floor);
                std::printf("ratio-%s %d threads: %.2f x\n", k.name, t, ns[0] / ns[1]);
            }
        }
        if (t == all) break;
    }
    return 0;
}
