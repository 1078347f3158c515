#include "analytic/u_rapportocomp.h"

#include <algorithm>
#include <cmath>

#include "analytic/u_diagnosi.h"
#include "tables/u_omnia.h"
#include "tables/u_stringhe.h"

namespace {

long double Real(const IGrid& g, int c, int r) {
    const std::string text = g.Cell(c, r);
    return ReadTypedNumber(text).value_or(TextToReal(text));
}

std::string SquareRootText(const std::string& text) {
    const long double v = ReadTypedNumber(text).value_or(0);
    return FormatFixed(v > 0 ? std::sqrt(v) : 0.0L, 20, 10);
}

ReportPoint ResidualRow(const IGrid& residuals, int r) {
    ReportPoint p;
    p.name = residuals.Cell(0, r);
    p.computedX = residuals.Cell(1, r);
    p.computedY = residuals.Cell(2, r);
    p.resX = residuals.Cell(3, r);
    p.resY = residuals.Cell(4, r);
    p.standardX = residuals.Cell(5, r);
    p.standardY = residuals.Cell(6, r);
    p.vx = Real(residuals, 3, r);
    p.vy = Real(residuals, 4, r);
    return p;
}

void TakeUnionRow(const IGrid& uni, int r, ReportPoint& p) {
    p.x = uni.Cell(1, r);
    p.y = uni.Cell(2, r);
    p.X = uni.Cell(3, r);
    p.Y = uni.Cell(4, r);
    p.imageX = Real(uni, 1, r);
    p.imageY = Real(uni, 2, r);
}

}  // namespace

AdjustmentReport ReadAdjustmentReport(const IGrid& uni, const IGrid& residuals,
                                      const IGrid& parameters, bool inverse,
                                      const std::string& sigma0Squared,
                                      const std::vector<bool>& outliers) {
    AdjustmentReport rep;
    rep.inverse = inverse;
    rep.sigma0Squared = sigma0Squared;
    rep.sigma0 = SquareRootText(sigma0Squared);
    for (int i = 1; i < parameters.RowCount() && !parameters.Cell(1, i).empty(); ++i) {
        const std::string n = parameters.Cell(0, i);
        const bool numbered = !n.empty() && std::all_of(n.begin(), n.end(), ::isdigit);
        rep.parameters.push_back(
            {numbered ? "p" + n : n, parameters.Cell(1, i), SquareRootText(parameters.Cell(2, i))});
    }
    const int n = CountPoints(residuals);
    int u = 1;  // the union row of the next adjusted point
    for (int k = 1; k <= n; ++k, ++u) {
        while (!uni.Cell(1, u).empty() && uni.Cell(5, u) == "*") ++u;
        ReportPoint p = ResidualRow(residuals, k);
        TakeUnionRow(uni, u, p);
        p.outlier = k - 1 < static_cast<int>(outliers.size()) && outliers[k - 1];
        rep.points.push_back(p);
    }
    const int m = CheckPointCount(residuals);
    for (int i = 0; i < m; ++i) {
        ReportPoint p = ResidualRow(residuals, n + 2 + i);
        for (int r = 1; !uni.Cell(1, r).empty(); ++r)
            if (uni.Cell(5, r) == "*" && uni.Cell(0, r) == p.name) {
                TakeUnionRow(uni, r, p);
                break;
            }
        rep.checkPoints.push_back(p);
    }
    if (m > 0) rep.checkRms = residuals.Cell(0, n + 2 + m);
    rep.redundancy = 2 * n - static_cast<int>(rep.parameters.size());
    return rep;
}

namespace {

ReportBlock TextBlock(ReportBlock::Kind kind, std::vector<std::string> lines) {
    ReportBlock b;
    b.kind = kind;
    b.lines = std::move(lines);
    return b;
}

ReportBlock TableBlock(std::vector<std::string> header) {
    ReportBlock b;
    b.kind = ReportBlock::Table;
    b.header = std::move(header);
    return b;
}

}  // namespace

std::vector<ReportBlock> AdjustmentReportBlocks(const AdjustmentReport& r) {
    const std::string units = ResidualUnits(r.inverse);
    std::vector<ReportBlock> b;
    b.push_back(TextBlock(ReportBlock::Title, {"Rapporto di compensazione"}));
    b.push_back(TextBlock(ReportBlock::Lines,
                          {r.width > 0 ? "Foto: " + r.photo + " (" + std::to_string(r.width) +
                                             " x " + std::to_string(r.height) + " pixel)"
                                       : "Foto: nessuna aperta",
                           "Data: " + r.dateTime + "    Vek " + r.version,
                           std::string("Metodo: analitico, ") +
                               (r.inverse ? "parametri inversi (oggetto -> immagine)"
                                          : "parametri diretti (immagine -> oggetto)") +
                               ", residui in " + units,
                           "Punti compensati: " + std::to_string(r.points.size()) +
                               "    punti di controllo: " + std::to_string(r.checkPoints.size()) +
                               "    ridondanza: " + std::to_string(r.redundancy),
                           "sigma0²: " + r.sigma0Squared + "    sigma0: " + r.sigma0,
                           "Test dei residui standardizzati, valore critico " + r.outlierLimit +
                               ": " + r.outlierSummary}));
    b.push_back(TextBlock(ReportBlock::Heading, {"Parametri"}));
    ReportBlock par = TableBlock({"parametro", "valore", "s.q.m."});
    for (const ReportParameter& p : r.parameters)
        par.rows.push_back({p.name, p.value, p.standardDeviation});
    b.push_back(par);
    b.push_back(TextBlock(ReportBlock::Heading, {"Punti compensati"}));
    // The computed side is the output of the direction: image for the inverse.
    const std::string u = r.inverse ? "x" : "X", v = r.inverse ? "y" : "Y";
    const std::vector<std::string> computed{u + " calcolato", v + " calcolato", "res " + u,
                                            "res " + v};
    ReportBlock pts = TableBlock({"nome", "x", "y", "X", "Y"});
    pts.header.insert(pts.header.end(), computed.begin(), computed.end());
    pts.header.insert(pts.header.end(), {"std " + u, "std " + v, "test"});
    for (const ReportPoint& p : r.points)
        pts.rows.push_back({p.name, p.x, p.y, p.X, p.Y, p.computedX, p.computedY, p.resX, p.resY,
                            p.standardX, p.standardY, p.outlier ? "ERRORE?" : "ok"});
    b.push_back(pts);
    if (!r.checkPoints.empty()) {
        b.push_back(TextBlock(ReportBlock::Heading, {"Punti di controllo, non usati nella stima"}));
        ReportBlock chk = TableBlock({"nome", "x", "y", "X", "Y"});
        chk.header.insert(chk.header.end(), computed.begin(), computed.end());
        for (const ReportPoint& p : r.checkPoints)
            chk.rows.push_back(
                {p.name, p.x, p.y, p.X, p.Y, p.computedX, p.computedY, p.resX, p.resY});
        b.push_back(chk);
        b.push_back(TextBlock(ReportBlock::Lines, {r.checkRms}));
    }
    return b;
}

namespace {

void AppendTable(const ReportBlock& t, std::vector<std::string>& out) {
    std::vector<size_t> w(t.header.size());
    for (size_t c = 0; c < w.size(); ++c) {
        w[c] = t.header[c].size();
        for (const auto& row : t.rows) w[c] = std::max(w[c], row[c].size());
    }
    auto line = [&w](const std::vector<std::string>& cells) {
        std::string s;
        for (size_t c = 0; c < w.size(); ++c) {
            const std::string pad(w[c] - cells[c].size(), ' ');
            // names read from the left, numbers line up on the right
            s += c == 0 ? cells[c] + pad : "  " + pad + cells[c];
        }
        while (!s.empty() && s.back() == ' ') s.pop_back();
        return s;
    };
    out.push_back(line(t.header));
    for (const auto& row : t.rows) out.push_back(line(row));
}

}  // namespace

std::string AdjustmentReportText(const AdjustmentReport& r) {
    std::vector<std::string> lines;
    for (const ReportBlock& b : AdjustmentReportBlocks(r)) {
        switch (b.kind) {
            case ReportBlock::Title:
            case ReportBlock::Heading:
                if (!lines.empty()) lines.push_back("");
                lines.push_back(b.lines[0]);
                lines.push_back(std::string(b.lines[0].size(), '-'));
                break;
            case ReportBlock::Lines:
                lines.insert(lines.end(), b.lines.begin(), b.lines.end());
                break;
            case ReportBlock::Table:
                AppendTable(b, lines);
                break;
        }
    }
    std::string text;
    for (const std::string& l : lines) text += l + "\r\n";
    return EncodeFileText(text);
}

std::string AdjustmentTextName(const std::string& pdfPath) {
    const size_t slash = pdfPath.find_last_of('/');
    const size_t dot = pdfPath.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        std::string ext = pdfPath.substr(dot);
        std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
        if (ext == ".pdf") return pdfPath.substr(0, dot) + ".txt";
    }
    return pdfPath + ".txt";
}
