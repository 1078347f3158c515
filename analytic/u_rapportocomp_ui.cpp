#include "analytic/u_rapportocomp_ui.h"

#include <QBuffer>
#include <QDateTime>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>

#include "analytic/u_diagnosi.h"
#include "analytic/u_tabres.h"
#include "analytic/u_tabrpar.h"
#include "app/u_forms.h"
#include "app/u_opzioni.h"
#include "platform/fileio.h"
#include "tables/u_omnia.h"
#include "tables/u_tabfot.h"
#include "view/u_immagine.h"

AdjustmentReport GatherAdjustmentReport() {
    StringGrid& res = *FormTabRes->StringGrid1;
    std::vector<bool> marks;
    for (int k = 1; k <= CountPoints(res); ++k) marks.push_back(res.RowMarked(k));
    AdjustmentReport r = ReadAdjustmentReport(*FormTabFot->StringGrid1, res,
                                              *FormTabPar->StringGrid1, FormTabRes->HoldsInverse(),
                                              FormTabRes->Edit1->text().toStdString(), marks);
    if (ImageWindow) r.photo = QFileInfo(ImageWindow->windowTitle()).fileName().toStdString();
    r.width = CleanBitmap.width();
    r.height = CleanBitmap.height();
    r.dateTime = QDateTime::currentDateTime().toString("dd/MM/yyyy hh:mm").toStdString();
    r.version = VEK_VERSION;
    r.outlierLimit = FormOpzioni->Edit4->text().toStdString();
    r.outlierSummary = FormTabRes->OutlierSummary().toStdString();
    return r;
}

namespace {

// Page layout in device units of a 300 dpi writer.
struct Page {
    QPainter& p;
    QRect area;
    int y = 0;
    int mm(double v) const { return int(std::lround(v * 300 / 25.4)); }
};

void NewPageIfBelow(Page& pg, int needed, QPdfWriter& w) {
    if (pg.y + needed <= pg.area.bottom()) return;
    w.newPage();
    pg.y = pg.area.top();
}

void PrintLine(Page& pg, QPdfWriter& w, const QString& text, const QFont& f) {
    pg.p.setFont(f);
    const QFontMetrics fm(f, &w);
    NewPageIfBelow(pg, fm.height(), w);
    pg.p.drawText(pg.area.left(), pg.y + fm.ascent(), text);
    pg.y += fm.height();
}

void PrintTable(Page& pg, QPdfWriter& w, const ReportBlock& t, const QFont& f) {
    QFont bold = f;
    bold.setBold(true);
    const QFontMetrics fm(bold, &w);
    const int gap = pg.mm(3);
    std::vector<int> width(t.header.size());
    for (size_t c = 0; c < width.size(); ++c) {
        width[c] = fm.horizontalAdvance(QString::fromStdString(t.header[c]));
        for (const auto& row : t.rows)
            width[c] = std::max(width[c], fm.horizontalAdvance(QString::fromStdString(row[c])));
    }
    auto row = [&](const std::vector<std::string>& cells, const QFont& font) {
        NewPageIfBelow(pg, fm.height(), w);
        pg.p.setFont(font);
        int x = pg.area.left();
        for (size_t c = 0; c < cells.size(); ++c) {
            const QString s = QString::fromStdString(cells[c]);
            const int flags = (c == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter;
            pg.p.drawText(QRect(x, pg.y, width[c], fm.height()), flags, s);
            x += width[c] + gap;
        }
        pg.y += fm.height();
    };
    row(t.header, bold);
    for (const auto& r : t.rows) {
        const bool outlier = r.size() > 11 && r[11] != "ok";
        row(r, outlier ? bold : f);
    }
}

// 1, 2 or 5 times a power of ten, the largest not above v.
long double RoundDown125(long double v) {
    const long double e = std::pow(10.0L, std::floor(std::log10(v)));
    for (long double m : {5.0L, 2.0L, 1.0L})
        if (m * e <= v) return m * e;
    return e;
}

void PrintVectorPlot(Page& pg, const AdjustmentReport& r, const QFont& f, QPdfWriter& w) {
    w.newPage();
    pg.y = pg.area.top();
    PrintLine(pg, w, "Vettori residuo sul contorno della foto", f);
    // Without the photo, the outline reaches just past the farthest point.
    long double width = r.width, height = r.height;
    if (width <= 0 || height <= 0)
        for (const ReportPoint& p : r.points) {
            width = std::max(width, std::ceil(p.imageX * 1.05L));
            height = std::max(height, std::ceil(p.imageY * 1.05L));
        }
    if (!(width > 0 && height > 0)) return;
    const QRect box = pg.area.adjusted(0, pg.y - pg.area.top() + pg.mm(4), 0, -pg.mm(20));
    const long double s = std::min<long double>(box.width() / width, box.height() / height);
    const QRectF photo(box.left(), box.top(), double(width * s), double(height * s));
    pg.p.setPen(QPen(Qt::black, pg.mm(0.3)));
    pg.p.drawRect(photo);
    long double largest = 0;
    for (const ReportPoint& p : r.points) largest = std::max(largest, std::hypot(p.vx, p.vy));
    // The longest vector is drawn about 15 mm long.
    const long double perUnit = largest > 0 ? pg.mm(15) / largest : 0;
    const long double ySign = r.inverse ? 1 : -1;  // object Y grows upwards
    for (const ReportPoint& p : r.points) {
        const QPointF at(photo.left() + double(p.imageX * s), photo.top() + double(p.imageY * s));
        pg.p.setPen(QPen(p.outlier ? Qt::red : Qt::black, pg.mm(0.2)));
        pg.p.drawEllipse(at, pg.mm(0.6), pg.mm(0.6));
        pg.p.setPen(QPen(p.outlier ? Qt::red : Qt::blue, pg.mm(0.4)));
        pg.p.drawLine(at, at + QPointF(p.vx * perUnit, ySign * p.vy * perUnit));
        pg.p.setPen(Qt::black);
        pg.p.drawText(at + QPointF(pg.mm(1), -pg.mm(1)), QString::fromStdString(p.name));
    }
    pg.y = int(photo.bottom()) + pg.mm(6);
    if (!(perUnit > 0)) return;
    const long double unit = RoundDown125(pg.mm(10) / perUnit);
    const int bar = int(std::lround(unit * perUnit));
    const int y = pg.y;
    pg.p.setPen(QPen(Qt::black, pg.mm(0.4)));
    pg.p.drawLine(pg.area.left(), y, pg.area.left() + bar, y);
    pg.y += pg.mm(2);
    const QString units = QString::fromLatin1(ResidualUnits(r.inverse));
    PrintLine(pg, w,
              QString("scala dei vettori: il segmento vale %1 %2 di residuo; il contorno misura "
                      "%3 x %4 pixel")
                  .arg(QString::number(double(unit)), units)
                  .arg(double(width))
                  .arg(double(height)),
              f);
}

}  // namespace

QByteArray AdjustmentReportPdf(const AdjustmentReport& r) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter w(&buffer);
        w.setResolution(300);
        w.setPageSize(QPageSize(QPageSize::A4));
        w.setPageOrientation(QPageLayout::Landscape);
        w.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        w.setTitle("Rapporto di compensazione");
        w.setCreator(QString("Vek ") + VEK_VERSION);
        QPainter painter(&w);
        Page pg{painter, QRect(QPoint(0, 0), w.pageLayout().paintRectPixels(300).size())};
        QFont f("DejaVu Sans");
        f.setPointSizeF(7.5);
        QFont title = f;
        title.setPointSizeF(14);
        title.setBold(true);
        QFont heading = f;
        heading.setPointSizeF(10);
        heading.setBold(true);
        for (const ReportBlock& b : AdjustmentReportBlocks(r)) {
            switch (b.kind) {
                case ReportBlock::Title:
                    PrintLine(pg, w, QString::fromStdString(b.lines[0]), title);
                    pg.y += pg.mm(2);
                    break;
                case ReportBlock::Heading:
                    pg.y += pg.mm(3);
                    PrintLine(pg, w, QString::fromStdString(b.lines[0]), heading);
                    break;
                case ReportBlock::Lines:
                    for (const std::string& l : b.lines) {
                        QString s = QString::fromStdString(l);
                        s.replace("sigma0", QString::fromUtf8("σ0"));
                        PrintLine(pg, w, s, f);
                    }
                    break;
                case ReportBlock::Table:
                    PrintTable(pg, w, b, f);
                    break;
            }
        }
        PrintVectorPlot(pg, r, heading, w);
    }
    return bytes;
}

bool SaveAdjustmentReport(QWidget* parent, const QString& pdfName, const AdjustmentReport& r) {
    const std::string text = AdjustmentReportText(r);
    const QString textName = QString::fromStdString(AdjustmentTextName(pdfName.toStdString()));
    return SaveFileBytes(parent, pdfName, AdjustmentReportPdf(r).toStdString()) &&
           SaveFileBytes(parent, textName, text);
}
