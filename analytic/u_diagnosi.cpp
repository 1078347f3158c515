#include "analytic/u_diagnosi.h"

#include <cmath>

#include "tables/u_omnia.h"
#include "tables/u_stringhe.h"

OutlierTest TestOutliers(const ProjectiveFit& fit, long double limit) {
    OutlierTest t;
    const int n = static_cast<int>(fit.residuals.size()) / 2;
    t.redundancy = 2 * n - fit.unknowns - (fit.withLens ? LensUnknowns : 0);
    t.flagged.assign(n, false);
    if (t.redundancy <= 0) return t;
    for (int k = 0; k < n; ++k) {
        const long double r =
            std::max(std::fabs(fit.standardised[2 * k]), std::fabs(fit.standardised[2 * k + 1]));
        if (!std::isfinite(r)) continue;
        t.flagged[k] = r > limit;
        t.count += t.flagged[k];
        if (t.largest < 0 || r > t.largestValue) {
            t.largest = k;
            t.largestValue = r;
        }
    }
    return t;
}

std::string OutlierSummaryText(const OutlierTest& test, const std::vector<std::string>& names,
                               long double limit) {
    if (test.redundancy <= 0) return "ridondanza 0: nessun test dei residui";
    const std::string lim = FormatFixed(limit, 15, 2);
    if (test.count == 0) return "nessun residuo std. oltre " + lim;
    const std::string name =
        test.largest < static_cast<int>(names.size()) ? names[test.largest] : "";
    return std::to_string(test.count) + (test.count == 1 ? " punto" : " punti") + " oltre " + lim +
           ", max " + name + " (" + FormatFixed(test.largestValue, 15, 3) + ")";
}

std::optional<CheckPoints> EvaluateCheckPoints(const IGrid& uni, const ProjectiveFit& fit,
                                               bool inverse) {
    CheckPoints out;
    long double sumX = 0, sumY = 0;
    for (int r = 1; !uni.Cell(1, r).empty(); ++r) {
        if (uni.Cell(5, r) != "*") continue;
        if (uni.Cell(2, r).empty() || uni.Cell(3, r).empty() || uni.Cell(4, r).empty()) continue;
        ControlPoint p = ReadUnionRow(uni, r);
        if (inverse) p = ControlPoint{p.Name, p.X, p.Y, p.x, p.y};
        const std::optional<PlanePoint> q = fit.Apply(p.x, p.y);
        if (!q) return std::nullopt;
        CheckPoint c{p.Name, {p.X, p.Y}, *q, q->x - p.X, q->y - p.Y};
        if (!std::isfinite(c.resX) || !std::isfinite(c.resY)) return std::nullopt;
        sumX += c.resX * c.resX;
        sumY += c.resY * c.resY;
        out.points.push_back(c);
    }
    if (!out.points.empty()) {
        const long double m = out.points.size();
        out.rmsX = std::sqrt(sumX / m);
        out.rmsY = std::sqrt(sumY / m);
        out.rms = std::sqrt((sumX + sumY) / m);
    }
    return out;
}

void ClearCheckPoints(IGrid& residuals) {
    for (int r = CountPoints(residuals) + 1; r < residuals.RowCount(); ++r)
        for (int c = 0; c < residuals.ColCount(); ++c) residuals.SetCell(c, r, "");
}

void WriteCheckPoints(const CheckPoints& checks, const std::string& units, IGrid& residuals) {
    ClearCheckPoints(residuals);
    if (checks.points.empty()) return;
    const int first = CountPoints(residuals) + 1;
    const int m = static_cast<int>(checks.points.size());
    if (residuals.RowCount() < first + m + 2) residuals.SetRowCount(first + m + 2);
    residuals.SetCell(0, first, CheckPointsHeading);
    for (int i = 0; i < m; ++i) {
        const CheckPoint& c = checks.points[i];
        const int r = first + 1 + i;
        residuals.SetCell(0, r, c.name);
        residuals.SetCell(1, r, FormatFixed(c.computed.x, 10, 3));
        residuals.SetCell(2, r, FormatFixed(c.computed.y, 10, 3));
        residuals.SetCell(3, r, FormatFixed(c.resX, 15, 3));
        residuals.SetCell(4, r, FormatFixed(c.resY, 15, 3));
    }
    residuals.SetCell(0, first + m + 1,
                      "rms: x " + FormatFixed(checks.rmsX, 15, 3) + "  y " +
                          FormatFixed(checks.rmsY, 15, 3) + "  totale " +
                          FormatFixed(checks.rms, 15, 3) + " " + units);
}

int CheckPointCount(const IGrid& residuals) {
    const int first = CountPoints(residuals) + 1;
    if (first >= residuals.RowCount() || residuals.Cell(0, first) != CheckPointsHeading) return 0;
    int m = 0;
    while (first + 1 + m < residuals.RowCount() && !residuals.Cell(1, first + 1 + m).empty()) ++m;
    return m;
}
