// Checks of an estimation beyond its own numbers: which adjusted points fail
// the test on their standardised residuals, and how far the points left out
// of the estimation ("*" in the union table) lie from where the parameters
// put them. Neither changes a number of the estimation.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analytic/u_analitico.h"
#include "platform/igrid.h"

// Two-sided 0.1 % point of a standard normal variable.
inline constexpr long double DefaultOutlierLimit = 3.29L;

struct OutlierTest {
    int redundancy = 0;            // 2n - u; nothing is tested when it is 0
    std::vector<bool> flagged;     // per adjusted point, in the residuals' order
    int count = 0;                 // points flagged
    int largest = -1;              // point with the largest |R| of either axis, -1 untested
    long double largestValue = 0;  // that |R|
};

// A point is flagged when |R| of either of its coordinates exceeds limit.
OutlierTest TestOutliers(const ProjectiveFit& fit, long double limit);

// The status line of the test, e.g. "2 punti oltre 3.29, max P7 (5.120)".
std::string OutlierSummaryText(const OutlierTest& test, const std::vector<std::string>& names,
                               long double limit);

struct CheckPoint {
    std::string name;
    PlanePoint observed;             // on the output side of the direction computed
    PlanePoint computed;             // the parameters applied to the input side
    long double resX = 0, resY = 0;  // computed - observed
};

struct CheckPoints {
    std::vector<CheckPoint> points;
    long double rmsX = 0, rmsY = 0, rms = 0;  // rms = sqrt(rmsX^2 + rmsY^2)
};

// Every row of the union grid marked "*" with all four coordinates, mapped by
// the fitted model (the lens included) in the direction computed (inverse: object -> image).
// Nothing when a point has no image under t.
std::optional<CheckPoints> EvaluateCheckPoints(const IGrid& uni, const ProjectiveFit& fit,
                                               bool inverse);

// Below the adjusted rows of the residuals grid: a heading row, one row per
// check point (name, computed x y, residuals x y) and a row with the rms in
// units ("pixel" or "m"). Heading and rms rows hold their text in column 0
// only. Nothing is written when there are no check points.
void WriteCheckPoints(const CheckPoints& checks, const std::string& units, IGrid& residuals);

// The check points a residuals grid lists (0 when none); their rows follow
// the heading row, which follows the adjusted points.
int CheckPointCount(const IGrid& residuals);

// Empties every row past the adjusted points.
void ClearCheckPoints(IGrid& residuals);

// The heading row's text, by which a grid row is recognised as that heading.
inline constexpr const char* CheckPointsHeading = "punti di controllo, non usati nella stima:";

// "pixel" for the inverse direction (object -> image), "m" for the direct.
inline const char* ResidualUnits(bool inverse) { return inverse ? "pixel" : "m"; }
