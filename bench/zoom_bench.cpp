// Repaint time and fidelity of a picture window below and at 100 %: Vek's
// drawing (the function the window paints with, then the block laid on the
// window's surface) against a plain scaled QPainter::drawImage, for a 24-
// and a 48-megapixel picture with a fine texture, in an 1800 x 1000 view.
//
//   zoom_bench
//
// One line per case, `<size> <zoom>: <ms> ms, <dB> dB`, the best of five
// runs in processor time of the thread; dB is
// the peak signal-to-noise ratio against an exact area-averaged reduction of
// the same view computed in double precision ("inf" when equal). The plain
// drawing's lines start with "plain". A line per picture gives the time and
// memory of its reduced copies.
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "platform/reduction.h"

namespace {

constexpr int kViewW = 1800, kViewH = 1000;

// Brickwork-like fine texture: periods of 2 to 11 pixels and noise, the
// kind that aliases into moire when sampled.
QImage TexturedPicture(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    unsigned seed = 12345;
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int noise = int((seed >> 16) & 63) - 32;
            const int joint = (y % 7 == 0 || (x + (y / 7) % 2 * 6) % 11 == 0) ? -70 : 0;
            const int r = std::clamp(150 + joint + noise + (x % 2) * 30, 0, 255);
            const int g = std::clamp(110 + joint + noise / 2 + ((x + y) % 3) * 20, 0, 255);
            const int b = std::clamp(90 + joint + ((x ^ y) & 3) * 15, 0, 255);
            row[x] = 0xFF000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
        }
    }
    return img;
}

RasterView View(const QImage& img) {
    return {reinterpret_cast<const uint32_t*>(img.constBits()), img.width(), img.height(),
            img.bytesPerLine() / 4};
}

struct Case {
    const char* name;
    Zoom zoom;
    int sx, sy, w, h;  // the view on the zoomed picture
};

// The exact area mean of screen pixels [sx, sx + w) x [sy, sy + h) at zoom z.
std::vector<double> ExactView(const QImage& img, const Case& c) {
    const double step = double(c.zoom.den) / c.zoom.num;
    auto weights = [&](int s, int limit, std::vector<std::pair<int, double>>& out) {
        out.clear();
        const double a = s * step, b = (s + 1) * step;
        for (int p = int(std::floor(a)); p < int(std::ceil(b)); ++p) {
            const double wgt = std::min<double>(p + 1, b) - std::max<double>(p, a);
            if (wgt > 0) out.push_back({std::min(p, limit - 1), wgt / (b - a)});
        }
    };
    std::vector<double> out(std::size_t(c.w) * c.h * 3);
    std::vector<std::pair<int, double>> wx, wy;
    std::vector<std::vector<std::pair<int, double>>> cols(c.w);
    for (int i = 0; i < c.w; ++i) weights(c.sx + i, img.width(), cols[i]);
    for (int j = 0; j < c.h; ++j) {
        weights(c.sy + j, img.height(), wy);
        for (const auto& [row, ky] : wy) {
            const auto* line = reinterpret_cast<const uint32_t*>(img.constScanLine(row));
            for (int i = 0; i < c.w; ++i)
                for (const auto& [col, kx] : cols[i]) {
                    const uint32_t v = line[col];
                    double* o = &out[(std::size_t(j) * c.w + i) * 3];
                    o[0] += ky * kx * ((v >> 16) & 255);
                    o[1] += ky * kx * ((v >> 8) & 255);
                    o[2] += ky * kx * (v & 255);
                }
        }
    }
    return out;
}

double Psnr(const QImage& shown, const std::vector<double>& exact, const Case& c) {
    double sq = 0;
    for (int j = 0; j < c.h; ++j) {
        const auto* line = reinterpret_cast<const uint32_t*>(shown.constScanLine(j));
        for (int i = 0; i < c.w; ++i) {
            const double* e = &exact[(std::size_t(j) * c.w + i) * 3];
            const uint32_t v = line[i];
            const double d[3] = {((v >> 16) & 255) - e[0], ((v >> 8) & 255) - e[1],
                                 (v & 255) - e[2]};
            sq += d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
        }
    }
    const double mse = sq / (3.0 * c.w * c.h);
    return mse <= 0 ? INFINITY : 10 * std::log10(255.0 * 255.0 / mse);
}

// Milliseconds of the thread's own processor time, best of five: on a
// machine shared with other work the wall clock would time the others too.
double BestMs(const std::function<void()>& run) {
    auto now = [] {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
    };
    double best = 1e30;
    for (int i = 0; i < 5; ++i) {
        const double t0 = now();
        run();
        best = std::min(best, now() - t0);
    }
    return best;
}

void Report(const char* prefix, const std::string& size, const Case& c, double ms, double db) {
    if (std::isinf(db))
        std::printf("%s%s %s: %.1f ms, inf dB\n", prefix, size.c_str(), c.name, ms);
    else
        std::printf("%s%s %s: %.1f ms, %.1f dB\n", prefix, size.c_str(), c.name, ms, db);
}

void Bench(int w, int h, const std::string& size) {
    const QImage picture = TexturedPicture(w, h);
    ReducedCopies copies;
    const double buildMs = BestMs([&] { copies.Build(View(picture)); });
    std::printf("levels %s: %.1f ms, +%.1f %% memory\n", size.c_str(), buildMs,
                100.0 * double(copies.Bytes()) / (double(w) * h * 4));
    const Zoom fit = FitZoom(w, h, kViewW, kViewH);
    const Case cases[] = {
        {"100 %", Zoom{1, 1}, (w - kViewW) / 2, (h - kViewH) / 2, kViewW, kViewH},
        {"50 %", Zoom{1, 2}, (w / 2 - kViewW) / 2, (h / 2 - kViewH) / 2, kViewW, kViewH},
        {"whole", fit, 0, 0, ZoomedLength(w, fit), ZoomedLength(h, fit)}};
    for (const Case& c : cases) {
        const std::vector<double> exact = ExactView(picture, c);
        QImage surface(kViewW, kViewH, QImage::Format_RGB32);
        QImage block(c.w, c.h, QImage::Format_RGB32);
        const double ms = BestMs([&] {
            QPainter p(&surface);
            // At 100 % the window lays the picture itself on its surface.
            if (c.zoom.IsOne()) {
                p.drawImage(0, 0, picture, c.sx, c.sy, c.w, c.h);
                return;
            }
            RenderZoomed(View(picture), &copies, c.zoom, c.sx, c.sy, c.w, c.h,
                         reinterpret_cast<uint32_t*>(block.bits()), block.bytesPerLine() / 4);
            p.drawImage(0, 0, block);
        });
        if (c.zoom.IsOne()) block = surface.copy(0, 0, c.w, c.h);
        Report("", size, c, ms, Psnr(block, exact, c));
        const double step = double(c.zoom.den) / c.zoom.num;
        const QRectF source(c.sx * step, c.sy * step, c.w * step, c.h * step);
        const double plainMs = BestMs([&] {
            QPainter p(&surface);
            p.drawImage(QRectF(0, 0, c.w, c.h), picture, source);
        });
        Report("plain ", size, c, plainMs, Psnr(surface, exact, c));
    }
}

}  // namespace

int main() {
    Bench(6000, 4000, "24 MP");
    Bench(8000, 6000, "48 MP");
    return 0;
}
