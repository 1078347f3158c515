#include "samples/facade.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr long double kPi = 3.141592653589793238462643383279502884L;

// ---------------------------------------------------------------------------
// Layout of the facade (metres).

constexpr long double kPlinthTop = 0.8L;
constexpr long double kCorniceBottom = 11.6L;
constexpr long double kWindowColumns[5] = {2, 6, 10, 14, 18};  // centres
constexpr long double kWindowBottoms[3] = {1.5L, 5.3L, 9.0L};
constexpr long double kWindowWidth = 1.4L, kWindowHeight = 2.0L;
constexpr long double kFrame = 0.08L;
constexpr long double kSillOverhang = 0.1L, kSillHeight = 0.08L;
constexpr long double kDoorTop = 2.6L;

// A target: a white plate with a black disc, a white centre dot and the
// target's number painted below the disc.
constexpr long double kPlateHalfWidth = 0.2L, kPlateTop = 0.2L, kPlateBottom = -0.38L;
constexpr long double kDiscRadius = 0.1L, kDotRadius = 0.025L;
constexpr long double kDigitWidth = 0.07L, kDigitHeight = 0.12L, kDigitStroke = 0.016L;
constexpr long double kDigitGap = 0.03L, kDigitBottom = -0.31L;

struct Box {
    long double x0, y0, x1, y1;
    bool Contains(long double X, long double Y, long double grow = 0) const {
        return X >= x0 - grow && X <= x1 + grow && Y >= y0 - grow && Y <= y1 + grow;
    }
};

Box WindowBox(int col, int floor) {
    const long double c = kWindowColumns[col], b = kWindowBottoms[floor];
    return {c - kWindowWidth / 2, b, c + kWindowWidth / 2, b + kWindowHeight};
}
bool IsDoor(int col, int floor) { return col == 2 && floor == 0; }
Box DoorBox() {
    const long double c = kWindowColumns[2];
    return {c - kWindowWidth / 2, 0, c + kWindowWidth / 2, kDoorTop};
}
// The window with its sill: everything of it that is not plaster.
Box WindowDetailBox(int col, int floor) {
    Box w = WindowBox(col, floor);
    return {w.x0 - kSillOverhang, w.y0 - kSillHeight, w.x1 + kSillOverhang, w.y1};
}
Box PlateBox(const FacadeTarget& t) {
    return {t.X - kPlateHalfWidth, t.Y + kPlateBottom, t.X + kPlateHalfWidth, t.Y + kPlateTop};
}

// ---------------------------------------------------------------------------
// Colours. Every region is a smooth function; the sharp changes are only at
// the region borders listed by NearTextureEdge.

Rgb Mix(Rgb base, double v, Rgb tint) {
    return {base.r + v * tint.r, base.g + v * tint.g, base.b + v * tint.b};
}

double Wave(long double X, long double Y, double fx, double fy, double phase) {
    return std::sin(2 * static_cast<double>(kPi) * (fx * X + fy * Y) + phase);
}

Rgb Plaster(long double X, long double Y) {
    const double v = 14 * Wave(X, Y, 0.53, 0.21, 0.0) + 10 * Wave(X, Y, -0.37, 0.71, 1.1) +
                     7 * Wave(X, Y, 1.3, 0.9, 2.0) - 10 * static_cast<double>(Y / FacadeHeight);
    return Mix({204, 182, 148}, v, {1.0, 0.95, 0.85});
}
Rgb Stone(long double X, long double Y, Rgb base) {
    return Mix(base, 8 * Wave(X, Y, 0.9, 0.4, 0.5) + 5 * Wave(X, Y, -0.6, 1.7, 1.7), {1, 1, 1});
}
Rgb Background(long double X, long double Y) {
    if (Y > FacadeHeight)  // sky, lighter towards the horizon
        return Mix({118, 165, 218}, 40 * std::exp(-static_cast<double>(Y - FacadeHeight) / 6),
                   {1, 0.8, 0.5});
    if (Y < 0) return Stone(X, Y, {98, 96, 92});  // pavement
    if (X < 0) return Mix({172, 96, 76}, 9 * Wave(X, Y, 0.35, 0.5, 0.3), {1, 0.6, 0.5});
    return Mix({158, 170, 150}, 9 * Wave(X, Y, 0.45, -0.3, 0.9), {0.8, 1, 0.8});
}

Rgb WindowColor(const Box& w, long double X, long double Y) {
    const Rgb frame{238, 236, 230};
    if (Y < w.y0) return Stone(X, Y, {176, 170, 160});  // sill
    const long double cx = (w.x0 + w.x1) / 2, transom = w.y0 + 2 * (w.y1 - w.y0) / 3;
    if (X < w.x0 + kFrame || X > w.x1 - kFrame || Y < w.y0 + kFrame || Y > w.y1 - kFrame ||
        std::fabs(X - cx) < kFrame / 2 || std::fabs(Y - transom) < kFrame / 2)
        return frame;
    // Glass: dark, with the sky's reflection growing towards the top.
    const double up = static_cast<double>((Y - w.y0) / (w.y1 - w.y0));
    return Mix({52, 66, 82}, 40 * up * up, {0.8, 0.9, 1.0});
}
Rgb DoorColor(const Box& d, long double X, long double Y) {
    if (X < d.x0 + kFrame || X > d.x1 - kFrame || Y > d.y1 - kFrame) return {238, 236, 230};
    const long double cx = (d.x0 + d.x1) / 2;
    const bool panel = std::fabs(X - cx) > 0.1L && std::fabs(X - cx) < 0.5L && Y > 0.3L &&
                       Y < d.y1 - 0.3L && std::fabs(Y - 1.3L) > 0.1L;
    return panel ? Rgb{92, 56, 32} : Rgb{120, 76, 44};
}

// Segments a..g of a seven-segment digit: top, upper right, lower right,
// bottom, lower left, upper left, middle.
constexpr unsigned char kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66,
                                         0x6D, 0x7D, 0x07, 0x7F, 0x6F};

// (u, v) from the digit's lower-left corner.
bool DigitInk(int digit, long double u, long double v) {
    const long double w = kDigitWidth, h = kDigitHeight, t = kDigitStroke;
    if (u < 0 || u > w || v < 0 || v > h) return false;
    const bool left = u<t, right = u> w - t, upper = v >= h / 2;
    const bool segment[7] = {v > h - t,
                             right && upper,
                             right && !upper,
                             v < t,
                             left && !upper,
                             left && upper,
                             std::fabs(v - h / 2) < t / 2};
    for (int s = 0; s < 7; ++s)
        if (segment[s] && (kSegments[digit] >> s & 1)) return true;
    return false;
}

Rgb TargetColor(const FacadeTarget& t, long double X, long double Y) {
    const Rgb white{244, 244, 238}, black{22, 22, 24};
    const long double r = std::hypot(X - t.X, Y - t.Y);
    if (r < kDotRadius) return white;
    if (r < kDiscRadius) return black;
    const int n = static_cast<int>(t.name.size());
    const long double left = t.X - (n * kDigitWidth + (n - 1) * kDigitGap) / 2;
    for (int k = 0; k < n; ++k) {
        const long double u = X - (left + k * (kDigitWidth + kDigitGap));
        if (DigitInk(t.name[k] - '0', u, Y - (t.Y + kDigitBottom))) return black;
    }
    return white;
}

// ---------------------------------------------------------------------------
// The camera: a pinhole at kCentre looking at kAim, turned by kRoll about its
// axis, focal length kFocal pixels, principal point at the picture's centre.

struct Vec3 {
    long double x, y, z;
};
Vec3 Sub(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 Cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
long double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Unit(Vec3 a) {
    const long double n = std::sqrt(Dot(a, a));
    return {a.x / n, a.y / n, a.z / n};
}

constexpr Vec3 kCentre{-1.0L, 1.6L, 20.0L};
constexpr Vec3 kAim{8.6L, 5.9L, 0.0L};
constexpr long double kRollDegrees = 1.5L;
constexpr long double kFocal = 2200;

using Matrix3 = std::array<std::array<long double, 3>, 3>;

// Object plane (X, Y, 1) -> homogeneous image (x, y, w), w > 0 in front.
Matrix3 CameraMatrix() {
    const Vec3 forward = Unit(Sub(kAim, kCentre));
    const Vec3 right0 = Unit(Cross(forward, {0, 1, 0}));
    const Vec3 down0 = Cross(forward, right0);
    const long double a = kRollDegrees * kPi / 180, c = std::cos(a), s = std::sin(a);
    const Vec3 right{c * right0.x + s * down0.x, c * right0.y + s * down0.y,
                     c * right0.z + s * down0.z};
    const Vec3 down = Cross(forward, right);
    const long double cx = (SampleWidth - 1) / 2.0L, cy = (SampleHeight - 1) / 2.0L;
    const Vec3 rows[3] = {right, down, forward};
    Matrix3 h{};
    for (int i = 0; i < 3; ++i) {
        // Camera coordinates of (X, Y, 0): X·R[i].x + Y·R[i].y − R[i]·C.
        const Vec3& r = rows[i];
        h[i] = {r.x, r.y, -Dot(r, kCentre)};
    }
    for (int j = 0; j < 3; ++j) {
        h[0][j] = kFocal * h[0][j] + cx * h[2][j];
        h[1][j] = kFocal * h[1][j] + cy * h[2][j];
    }
    return h;
}

Matrix3 Inverse(const Matrix3& m) {
    Matrix3 r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            const int i1 = (j + 1) % 3, i2 = (j + 2) % 3, j1 = (i + 1) % 3, j2 = (i + 2) % 3;
            r[i][j] = m[i1][j1] * m[i2][j2] - m[i1][j2] * m[i2][j1];  // adjugate
        }
    const long double det = m[0][0] * r[0][0] + m[0][1] * r[1][0] + m[0][2] * r[2][0];
    for (auto& row : r)
        for (long double& v : row) v /= det;
    return r;
}

Projective FromMatrix(const Matrix3& m) {
    const long double k = m[2][2];
    Projective p;
    p.p = {m[0][0] / k, m[1][0] / k, m[0][1] / k, m[1][1] / k,
           m[0][2] / k, m[1][2] / k, m[2][0] / k, m[2][1] / k};
    return p;
}

}  // namespace

Rgb FacadeColor(long double X, long double Y) {
    if (X < 0 || X > FacadeWidth || Y < 0 || Y > FacadeHeight) return Background(X, Y);
    for (const FacadeTarget& t : FacadeTargets())
        if (PlateBox(t).Contains(X, Y)) return TargetColor(t, X, Y);
    for (int col = 0; col < 5; ++col)
        for (int floor = 0; floor < 3; ++floor) {
            if (IsDoor(col, floor)) {
                if (DoorBox().Contains(X, Y)) return DoorColor(DoorBox(), X, Y);
            } else if (WindowDetailBox(col, floor).Contains(X, Y)) {
                if (WindowBox(col, floor).Contains(X, Y) || Y < WindowBox(col, floor).y0)
                    return WindowColor(WindowBox(col, floor), X, Y);
            }
        }
    if (Y < kPlinthTop) return Stone(X, Y, {150, 146, 140});
    if (Y > kCorniceBottom)
        return Y < kCorniceBottom + 0.05L ? Rgb{120, 112, 100} : Stone(X, Y, {222, 216, 202});
    return Plaster(X, Y);
}

bool NearTextureEdge(long double X, long double Y, long double margin) {
    for (long double x : {0.0L, FacadeWidth})
        if (std::fabs(X - x) < margin) return true;
    for (long double y : {0.0L, kPlinthTop, kCorniceBottom, kCorniceBottom + 0.05L, FacadeHeight})
        if (std::fabs(Y - y) < margin) return true;
    for (const FacadeTarget& t : FacadeTargets())
        if (PlateBox(t).Contains(X, Y, margin)) return true;
    for (int col = 0; col < 5; ++col)
        for (int floor = 0; floor < 3; ++floor) {
            const Box b = IsDoor(col, floor) ? DoorBox() : WindowDetailBox(col, floor);
            if (b.Contains(X, Y, margin)) return true;
        }
    return false;
}

const std::array<FacadeTarget, TargetCount>& FacadeTargets() {
    static const std::array<FacadeTarget, TargetCount> targets{{
        {"1", 0.60L, 1.30L},
        {"2", 4.00L, 2.50L},
        {"3", 8.00L, 1.60L},
        {"4", 12.00L, 2.40L},
        {"5", 16.00L, 1.40L},
        {"6", 19.40L, 2.20L},
        {"7", 0.60L, 6.30L},
        {"8", 6.00L, 4.40L},
        {"9", 14.00L, 8.15L},
        {"10", 19.40L, 6.80L},
        {"11", 4.00L, 10.20L},
        {"12", 16.00L, 10.60L},
    }};
    return targets;
}

const std::array<FacadeEdge, 6>& FacadeEdges() {
    const long double top2 = kWindowBottoms[1] + kWindowHeight;
    const long double left = kWindowColumns[0] - kWindowWidth / 2;
    const long double right = kWindowColumns[4] + kWindowWidth / 2;
    const long double middle = kWindowColumns[2] - kWindowWidth / 2;
    static const std::array<FacadeEdge, 6> edges{{
        {"o1", {0, kPlinthTop}, {FacadeWidth, kPlinthTop}},
        {"o2", {left, top2}, {right, top2}},
        {"o3", {0, kCorniceBottom}, {FacadeWidth, kCorniceBottom}},
        {"v1", {0, 0}, {0, FacadeHeight}},
        {"v2", {middle, 0}, {middle, kWindowBottoms[2] + kWindowHeight}},
        {"v3", {FacadeWidth, 0}, {FacadeWidth, FacadeHeight}},
    }};
    return edges;
}

Projective InverseHomography() {
    static const Projective h = FromMatrix(CameraMatrix());
    return h;
}

Projective DirectHomography() {
    static const Projective h = FromMatrix(Inverse(CameraMatrix()));
    return h;
}

std::optional<PlanePoint> ObjectToImage(long double X, long double Y) {
    const Projective h = InverseHomography();
    if (!(h.Denominator(X, Y) > 0)) return std::nullopt;
    return h.Apply(X, Y);
}

std::optional<PlanePoint> ImageToObject(long double x, long double y) {
    const std::optional<PlanePoint> p = DirectHomography().Apply(x, y);
    // A ray that meets the plane behind the camera gives a point too.
    if (!p || !(InverseHomography().Denominator(p->x, p->y) > 0)) return std::nullopt;
    return p;
}

std::array<unsigned char, 3> RenderPixel(int col, int row, int n) {
    double r = 0, g = 0, b = 0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const long double x = col - 0.5L + (j + 0.5L) / n, y = row - 0.5L + (i + 0.5L) / n;
            const std::optional<PlanePoint> p = ImageToObject(x, y);
            const Rgb c = p ? FacadeColor(p->x, p->y) : Background(0, 1e6L);
            r += c.r;
            g += c.g;
            b += c.b;
        }
    auto channel = [n](double sum) {
        return static_cast<unsigned char>(std::clamp(std::nearbyint(sum / (n * n)), 0.0, 255.0));
    };
    return {channel(r), channel(g), channel(b)};
}
