#include <QProgressBar>
#include <array>
#include <string>

#include "rectify/u_ricampiona_ui.h"
#include "tests/rectify/rectify_fixture.h"

namespace {
class EngineOnWindows : public RectifyRun, public ::testing::WithParamInterface<Interpolation> {};
}  // namespace

// Identity parameters turn the photograph upside down; marks drawn on it are
// erased first and never reach the output.
TEST_P(EngineOnWindows, IdentityGivesTheCleanPhotographUpsideDown) {
    OpenPicture(TracePicture(40, 30));
    ImageControl* source = ImageWindow->Image1;
    source->canvas().SetPixel(10, 10, 0xFF0000);
    const ResampleGeometry identity{Projective{}, 1, 1, 1, 0, 0, 40, 30};
    ImageControl target("Target");
    QProgressBar bar;
    ASSERT_TRUE(ResampleImage(source, &target, &bar, identity, GetParam()));
    ASSERT_EQ(target.Picture().size(), QSize(40, 30));
    EXPECT_EQ(target.size(), QSize(40, 30));
    EXPECT_EQ(source->canvas().Pixel(10, 10), TracePixel(10, 10) & 0xFFFFFF);
    for (int r = 1; r < 30; ++r)
        for (int c = 0; c < 40; ++c)
            ASSERT_EQ(target.canvas().Pixel(c, r), TracePixel(c, 30 - r) & 0xFFFFFF)
                << c << "," << r;
    EXPECT_EQ(target.canvas().Pixel(5, 0), 0u);  // row 30 lies outside: black
    EXPECT_EQ(bar.value(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Engines, EngineOnWindows,
    ::testing::Values(Interpolation::Nearest, Interpolation::Bilinear, Interpolation::Bicubic),
    [](const auto& info) {
        return std::string(std::array{"nearest", "bilinear", "bicubic"}[int(info.param)]);
    });
