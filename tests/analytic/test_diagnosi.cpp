// The outlier test, the check points and the report's text on the sample
// facade's twelve targets, collimated to whole pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "analytic/u_analitico.h"
#include "analytic/u_diagnosi.h"
#include "analytic/u_rapportocomp.h"
#include "samples/facade.h"
#include "tables/u_omnia.h"
#include "tables/u_stringhe.h"

namespace {

// Rows 1..n of a union grid; `moved` (1-based, 0 none) is collimated 5 pixels
// to the right of its target; rows in `checks` are marked "*".
GridCells FacadeUnion(int n, int moved = 0, std::vector<int> checks = {}) {
    GridCells uni(6, 500);
    for (int k = 1; k <= n; ++k) {
        const FacadeTarget& t = FacadeTargets()[k - 1];
        const PlanePoint p = ObjectToImage(t.X, t.Y).value();
        uni.SetCell(0, k, t.name);
        uni.SetCell(1, k, std::to_string(std::lround(double(p.x)) + (k == moved ? 5 : 0)));
        uni.SetCell(2, k, std::to_string(std::lround(double(p.y))));
        uni.SetCell(3, k, FormatFixed(t.X, 10, 3));
        uni.SetCell(4, k, FormatFixed(t.Y, 10, 3));
        if (std::find(checks.begin(), checks.end(), k) != checks.end()) uni.SetCell(5, k, "*");
    }
    return uni;
}

struct InverseRun {
    GridCells res{7, 500}, par{3, 9};
    EstimationOutcome outcome;
    explicit InverseRun(const IGrid& uni) { outcome = ComputeInverseParameters(uni, res, par); }
};

std::vector<std::string> Names(const IGrid& res) {
    std::vector<std::string> out;
    for (int r = 1; r <= CountPoints(res); ++r) out.push_back(res.Cell(0, r));
    return out;
}

}  // namespace

struct OutlierCase {
    int points, moved;
    std::vector<int> flagged;  // 1-based rows
    std::string summary;
};

class Outliers : public ::testing::TestWithParam<OutlierCase> {};

TEST_P(Outliers, FlagExactlyTheMovedPoint) {
    const OutlierCase& c = GetParam();
    const InverseRun run(FacadeUnion(c.points, c.moved));
    ASSERT_EQ(run.outcome.status, EstimationStatus::Ok);
    const OutlierTest t = TestOutliers(run.outcome.fit, DefaultOutlierLimit);
    std::vector<int> flagged;
    for (int k = 0; k < static_cast<int>(t.flagged.size()); ++k)
        if (t.flagged[k]) flagged.push_back(k + 1);
    EXPECT_EQ(flagged, c.flagged);
    const std::string text = OutlierSummaryText(t, Names(run.res), DefaultOutlierLimit);
    EXPECT_EQ(text.substr(0, c.summary.size()), c.summary) << text;
}

INSTANTIATE_TEST_SUITE_P(Facade, Outliers,
                         ::testing::Values(OutlierCase{12, 0, {}, "nessun residuo std. oltre 3.29"},
                                           OutlierCase{12, 7, {7}, "1 punto oltre 3.29, max 7 ("},
                                           OutlierCase{4, 2, {}, "ridondanza 0: nessun test"}));

TEST(CheckPoints, EvaluatedWithTheParametersAndLeftOutOfTheAdjustment) {
    const GridCells uni = FacadeUnion(12, 0, {3, 6, 9, 12});
    InverseRun run(uni);
    ASSERT_EQ(run.outcome.status, EstimationStatus::Ok);
    // The adjustment is that of the eight points alone.
    GridCells eight(6, 500);
    int out = 0;
    for (int r = 1; r <= 12; ++r) {
        if (uni.Cell(5, r) == "*") continue;
        ++out;
        for (int c = 0; c < 5; ++c) eight.SetCell(c, out, uni.Cell(c, r));
    }
    const InverseRun alone(eight);
    for (int r = 1; r <= 9; ++r)
        for (int c = 0; c < 7; ++c) EXPECT_EQ(run.res.Cell(c, r), alone.res.Cell(c, r));
    EXPECT_EQ(run.outcome.unitVarianceText, alone.outcome.unitVarianceText);

    const std::optional<CheckPoints> checks = EvaluateCheckPoints(uni, run.outcome.fit, true);
    ASSERT_TRUE(checks);
    ASSERT_EQ(checks->points.size(), 4u);
    long double sum = 0;
    for (int i = 0; i < 4; ++i) {
        const int r = 3 * (i + 1);
        const CheckPoint& p = checks->points[i];
        const PlanePoint q =
            run.outcome.fit.transform.Apply(TextToReal(uni.Cell(3, r)), TextToReal(uni.Cell(4, r)))
                .value();
        EXPECT_EQ(p.name, uni.Cell(0, r));
        EXPECT_EQ(p.resX, q.x - TextToReal(uni.Cell(1, r)));
        EXPECT_EQ(p.resY, q.y - TextToReal(uni.Cell(2, r)));
        sum += p.resX * p.resX + p.resY * p.resY;
    }
    EXPECT_NEAR(double(checks->rms), std::sqrt(double(sum) / 4), 1e-12);
    EXPECT_LT(checks->rms, 1.0L);  // whole-pixel collimation of a true projective view

    WriteCheckPoints(*checks, "pixel", run.res);
    EXPECT_EQ(CountPoints(run.res), 8);  // the adjusted rows stay what they were
    EXPECT_EQ(CheckPointCount(run.res), 4);
    EXPECT_EQ(run.res.Cell(0, 9), CheckPointsHeading);
    EXPECT_EQ(run.res.Cell(0, 10), "3");
    EXPECT_EQ(run.res.Cell(0, 14).substr(0, 7), "rms: x ");
    EXPECT_NE(run.res.Cell(0, 14).find(" pixel"), std::string::npos);
    ClearCheckPoints(run.res);
    EXPECT_EQ(CheckPointCount(run.res), 0);
    EXPECT_EQ(run.res.Cell(0, 10), "");
}

// The text twin of a known estimation, byte for byte: one point moved, so
// that one row is flagged, and two check points.
TEST(AdjustmentReportText, MatchesTheGoldenFile) {
    GridCells uni = FacadeUnion(12, 7, {4, 10});
    InverseRun run(uni);
    ASSERT_EQ(run.outcome.status, EstimationStatus::Ok);
    const OutlierTest t = TestOutliers(run.outcome.fit, DefaultOutlierLimit);
    WriteCheckPoints(*EvaluateCheckPoints(uni, run.outcome.fit, true), "pixel", run.res);
    AdjustmentReport r =
        ReadAdjustmentReport(uni, run.res, run.par, true, run.outcome.unitVarianceText, t.flagged);
    r.photo = "facciata.jpg";
    r.width = SampleWidth;
    r.height = SampleHeight;
    r.dateTime = "10/12/2026 09:30";
    r.version = "1.1.0";
    r.outlierLimit = "3.29";
    r.outlierSummary = OutlierSummaryText(t, Names(run.res), DefaultOutlierLimit);
    const std::string text = AdjustmentReportText(r);
    EXPECT_EQ(AdjustmentTextName("/a/b.c/rapporto.PDF"), "/a/b.c/rapporto.txt");
    EXPECT_EQ(AdjustmentTextName("/a/b.c/rapporto"), "/a/b.c/rapporto.txt");
    const std::string golden = std::string(VEK_TEST_DATA) + "/adjustment_report.txt";
    if (std::getenv("VEK_WRITE_GOLDEN")) std::ofstream(golden, std::ios::binary) << text;
    std::ifstream in(golden, std::ios::binary);
    std::stringstream want;
    want << in.rdbuf();
    EXPECT_EQ(text, want.str());
}
