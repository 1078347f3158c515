#include <array>

#include "tests/rectify/rectify_fixture.h"

namespace {
// A 640 x 480 photograph seen square on: one metre is 100 pixels and object
// Y grows upwards from the bottom row.
void Square(double x, double y, double& X, double& Y) {
    X = x / 100;
    Y = (480 - y) / 100;
}
const std::vector<QPoint> kControl = {{20, 20}, {600, 30}, {620, 460}, {30, 440}, {300, 200}};

struct CornerOrder {
    const char* name;
    std::array<QPoint, 4> corners;
};
class AreaCornerOrder : public RectifyRun, public ::testing::WithParamInterface<CornerOrder> {};
}  // namespace

// Only the minima and maxima count: any order of the same four corners gives
// the same rectangle, and the analytic ordinate of row 0 is the height.
TEST_P(AreaCornerOrder, AnyOrderGivesTheSameRectangle) {
    OpenPicture(TracePicture(640, 480));
    FillUnionTable(kControl, Square);
    const std::array<QPoint, 4>& c = GetParam().corners;
    ImageWindow->Image1->canvas().SetPixel(5, 5, 0xFF0000);  // an earlier mark
    ChooseArea(c);
    EXPECT_EQ(Area(), QStringList({"0.900", "4.800", "5.200", "0.600"}));
    EXPECT_EQ(FormLimiti->Edit5->text(), QString::number(c[0].x()));
    EXPECT_EQ(FormLimiti->Edit6->text(), QString::number(480 - c[0].y()));
    EXPECT_EQ(FormLimiti->Edit12->text(), QString::number(480 - c[3].y()));
    EXPECT_TRUE(main_->cb_area->Checked());
    EXPECT_TRUE(FormLimiti->isVisible());
    EXPECT_EQ(Panel(5), " ");
    for (RadioButton* mode : main_->PointerModes()) EXPECT_FALSE(mode->Checked());
    Canvas& canvas = ImageWindow->Image1->canvas();
    EXPECT_EQ(canvas.Pixel(5, 5), TracePixel(5, 5) & 0xFFFFFF);  // erased by corner 1
    // The closing sides are white: 3 -> 4 and 4 -> 1 start with a dash.
    EXPECT_EQ(canvas.Pixel(c[2].x(), c[2].y()), 0xFFFFFFu);
    EXPECT_EQ(canvas.Pixel(c[3].x(), c[3].y()), 0xFFFFFFu);
    // A fifth click changes nothing.
    Click(ImageWindow->Image1, QPoint(50, 60));
    EXPECT_EQ(FormLimiti->Edit5->text(), QString::number(c[0].x()));
    EXPECT_EQ(canvas.Pixel(50, 60), TracePixel(50, 60) & 0xFFFFFF);
}

INSTANTIATE_TEST_SUITE_P(
    Orders, AreaCornerOrder,
    ::testing::Values(CornerOrder{"clockwise", {{{90, 0}, {520, 80}, {500, 420}, {100, 400}}}},
                      CornerOrder{"anticlockwise", {{{100, 400}, {500, 420}, {520, 80}, {90, 0}}}},
                      CornerOrder{"crossed", {{{520, 80}, {100, 400}, {90, 0}, {500, 420}}}}),
    [](const auto& info) { return std::string(info.param.name); });

using AreaGeometric = RectifyRun;

TEST_F(AreaGeometric, CornerKeepsThePlainRow) {
    main_->SetMethod(false);
    OpenPicture(TracePicture(640, 480));
    main_->cb_fot->SetChecked(true);
    main_->Action("Selezionaarearicampionamento1")->trigger();
    Click(ImageWindow->Image1, QPoint(90, 0));
    EXPECT_EQ(FormLimiti->Edit6->text(), "0");
    EXPECT_TRUE(main_->rb_limiti_2->Checked());
    EXPECT_TRUE(Dragging);
}
