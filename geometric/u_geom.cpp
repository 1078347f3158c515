#include "geometric/u_geom.h"

#include <QLabel>
#include <algorithm>
#include <cmath>

#include "analytic/u_tabres.h"
#include "analytic/u_tabrpar.h"
#include "app/u_avviso.h"
#include "app/u_forms.h"
#include "app/u_lavoro.h"
#include "app/u_opzioni.h"
#include "app/u_principale.h"
#include "app/u_stato.h"
#include "geometric/u_geometrico.h"
#include "platform/dialogs.h"
#include "platform/fonts.h"
#include "tables/u_omnia.h"
#include "tables/u_omnia_ui.h"
#include "tables/u_stringhe.h"
#include "tables/u_tabfot.h"
#include "view/u_immagine.h"
#include "view/u_limiti.h"
#include "view/u_vista.h"

namespace {

const char* const kNames[8] = {"aa1", "aa2", "bb1", "bb2", "cc1", "cc2", "uu", "vv"};

ImageControl* SourceImage() { return ImageWindow ? ImageWindow->Image1 : nullptr; }

void EmptyRow(StringGrid& grid, int row) {
    for (int c = 0; c <= 4; ++c) grid.SetCell(c, row, "");
}

void ReportError(QWidget* parent, const QString& reason) {
    FormPrincipale->StatusBar1->SetPanel(2, QString::fromUtf8(MatrixErrorText));
    ShowErrorBox(parent, reason);
}

QString SquareFaultText(const SquareOutcome& s) {
    switch (s.fault) {
        case SquareFault::HorizontalAlongColumn:
            return QString(
                       "La retta orizzontale %1 è verticale nell'immagine: è parallela alla "
                       "colonna per il centro della retta orizzontale 1.")
                .arg(s.first);
        case SquareFault::VerticalAlongRow:
            return QString(
                       "La retta verticale %1 è orizzontale nell'immagine: è parallela alla "
                       "riga per il centro della retta verticale 1.")
                .arg(s.first);
        case SquareFault::CornerLinesParallel:
            return QString(
                       "La retta orizzontale %1 e la retta verticale %2 sono parallele "
                       "nell'immagine: il loro punto d'incontro non esiste.")
                .arg(s.first)
                .arg(s.second);
        case SquareFault::FarSidesParallel:
            return QString(
                       "La retta dal secondo estremo dell'orizzontale %1 al punto di fuga "
                       "verticale e quella dal secondo estremo della verticale %2 al punto di "
                       "fuga orizzontale sono parallele: il quarto vertice non esiste.")
                .arg(s.first)
                .arg(s.second);
        case SquareFault::None:
            break;
    }
    return {};
}

// The far end of a line prolonged to its vanishing point. A point too far to
// be drawn pixel by pixel is brought along the same direction to just past
// the picture, which the segment leaves all the same.
QPoint FarEnd(const ImageLine& l, const PlanePoint& vp, const QSize& picture) {
    const long double reach = 2.0L * (picture.width() + picture.height()) + 1000;
    const long double dx = vp.x - l.x1, dy = vp.y - l.y1;
    const long double span = std::max(std::fabs(dx), std::fabs(dy));
    if (span <= reach) return QPoint(int(Nearest(double(vp.x))), int(Nearest(double(vp.y))));
    const long double s = reach / span;
    return QPoint(int(Nearest(double(l.x1 + dx * s))), int(Nearest(double(l.y1 + dy * s))));
}

}  // namespace

TFormGeom::TFormGeom(QWidget* parent)
    : ToolWindow("FormGeom", "Individua rette parallele", parent) {
    resize(162, 304);
    const QFont bold = LabelFont();
    auto label = [&](const QString& name, const QString& text, int y) {
        auto* l = new QLabel(text, Body());
        l->setObjectName(name);
        l->setFont(bold);
        l->setGeometry(8, y, 150, 18);
    };
    label("Label2", "N° rette orizzontali", 4);
    Edit5 = MakeEdit("Edit5", Body(), "0");
    Edit5->setGeometry(8, 24, 60, 20);
    label("Label1", "N° rette verticali", 50);
    Edit6 = MakeEdit("Edit6", Body(), "0");
    Edit6->setGeometry(8, 70, 60, 20);
    label("Label3", "Punto di fuga orizzontale", 96);
    Edit3 = MakeEdit("Edit3", Body(), "/");
    Edit3->setGeometry(8, 116, 70, 20);
    Edit4 = MakeEdit("Edit4", Body(), "/");
    Edit4->setGeometry(82, 116, 70, 20);
    label("Label4", "Punto di fuga verticale", 142);
    Edit1 = MakeEdit("Edit1", Body(), "/");
    Edit1->setGeometry(8, 162, 70, 20);
    Edit2 = MakeEdit("Edit2", Body(), "/");
    Edit2->setGeometry(82, 162, 70, 20);
    for (QLineEdit* e : {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6}) e->setReadOnly(true);
    StringGrid1 = new StringGrid(5, 20, Body());
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->SetColumnWidths({46, 70, 70, 70, 70});
    StringGrid1->setGeometry(170, 0, 326, 322);  // beyond the right edge, and never shown
    StringGrid1->hide();
    StringGrid2 = new StringGrid(5, 20, Body());
    StringGrid2->setObjectName("StringGrid2");
    StringGrid2->SetColumnWidths({45, 70, 70, 70, 70});
    StringGrid2->setGeometry(170, 0, 325, 322);
    StringGrid2->hide();
    StatusBar1 = AddStatusBar({100});

    AddCommand("Rette orizzontali", "Retteorizzontali1", this, &TFormGeom::Retteorizzontali1Click);
    AddCommand("Rette vertivali", "Rettevertivali1", this, &TFormGeom::Rettevertivali1Click);
    AddCommand("Calcolo punti di fuga", "Calcolopuntidifuga1", this,
               &TFormGeom::Calcolopuntidifuga1Click);
    AddCommand("Calcolo parametri", "Calcoloparametri1", this, &TFormGeom::Calcoloparametri1Click);
    AddCommand("Elimina ultima retta", "Eliminaultimaretta1", this,
               &TFormGeom::Eliminaultimaretta1Click);
    AddCommand("Reset rette orizzontali", "Resetretteorizzontali1", this,
               &TFormGeom::Resetretteorizzontali1Click);
    AddCommand("Reset rette verticali", "Resetretteverticali1", this,
               &TFormGeom::Resetretteverticali1Click);
    AddCommand("Chiudi", "Chiudi1", this, &TFormGeom::Chiudi1Click);
}

// ---- Line entry ---------------------------------------------------------------

void TFormGeom::VerticalLineBranch(Qt::MouseButton button, int x, int y) {
    LineBranch(true, button, x, y);
}

void TFormGeom::HorizontalLineBranch(Qt::MouseButton button, int x, int y) {
    LineBranch(false, button, x, y);
}

void TFormGeom::LineBranch(bool vertical, Qt::MouseButton button, int x, int y) {
    TFormPrincipale* main = FormPrincipale;
    RadioButton* mode = vertical ? main->rb_linee_vert : main->rb_linee_or;
    ImageControl* image = SourceImage();
    if (button != Qt::LeftButton || !mode->Checked() || !image) return;
    StringGrid& grid = vertical ? *StringGrid1 : *StringGrid2;
    LineRow = std::max(LineRow, 1);
    if (LinePhase != 2) {
        if (LineRow > MaxLinesPerFamily) {
            main->StatusBar1->SetPanel(
                6, QString(" al massimo %1 rette per famiglia").arg(MaxLinesPerFamily));
            return;
        }
        grid.SetCells(0, LineRow, QString::number(LineRow));
        grid.SetCells(1, LineRow, QString::number(x));
        grid.SetCells(2, LineRow, QString::number(y));
        Dragging = true;
        image->canvas().MoveTo(x, y);
        StartPoint = EndPoint = QPoint(x, y);
        LinePhase = 2;
        return;
    }
    grid.SetCells(3, LineRow, QString::number(x));
    grid.SetCells(4, LineRow, QString::number(y));
    DrawRubberBand(image, StartPoint, QPoint(x, y), PenMode::White);
    Dragging = false;
    LinePhase = 1;
    ++LineRow;
    QLineEdit* count = vertical ? Edit6 : Edit5;
    count->setText(QString::number(CountPoints(grid)));
    count->repaint();
}

void TFormGeom::RedrawLines(const StringGrid& grid) {
    ImageControl* image = SourceImage();
    if (!image) return;
    // White whatever mode a rubber band left the pen in.
    image->canvas().penMode = PenMode::White;
    const int n = CountCompleteLines(grid);
    auto at = [&grid](int c, int r) {
        return int(std::clamp<long long>(ParseInt(grid.Cell(c, r)), -1000000, 1000000));
    };
    for (int r = 1; r <= n; ++r) DrawLineSegment(image, at(1, r), at(2, r), at(3, r), at(4, r));
}

void TFormGeom::RestorePictureAndLines() {
    if (ImageControl* image = SourceImage()) image->SetPicture(CleanBitmap);
    RedrawLines(*StringGrid1);
    RedrawLines(*StringGrid2);
}

bool TFormGeom::DiscardPendingLine() {
    if (LinePhase != 2) return false;
    for (StringGrid* grid : {StringGrid1, StringGrid2})
        if (LineRow >= 1 && !grid->Cell(1, LineRow).empty() && grid->Cell(4, LineRow).empty())
            EmptyRow(*grid, LineRow);
    LinePhase = 1;
    Dragging = false;
    RestorePictureAndLines();
    return true;
}

// ---- Families -------------------------------------------------------------------

namespace {
// The family's lines as a discard names them; a line begun counts too.
QStringList FamilyLines(const StringGrid& grid, const QString& family) {
    if (grid.Cell(1, 1).empty()) return {};
    return {"le rette " + family + " tracciate"};
}
}  // namespace

void TFormGeom::ResetFamily(bool vertical) {
    TFormPrincipale* main = FormPrincipale;
    DiscardPendingLine();
    StringGrid& grid = vertical ? *StringGrid1 : *StringGrid2;
    for (int r = 1; r <= MaxLinesPerFamily + 1; ++r) EmptyRow(grid, r);
    if (main->cb_imm->Checked() && SourceImage()) SourceImage()->SetPicture(CleanBitmap);
    (vertical ? main->rb_linee_vert : main->rb_linee_or)->SetChecked(true);
    LineRow = 1;
    LinePhase = 1;
    main->StatusBar1->SetPanel(5, vertical ? "rette verticali" : "rette orizzontali");
    (vertical ? Edit6 : Edit5)->setText("0");
    RedrawLines(vertical ? *StringGrid2 : *StringGrid1);
    ResetParameters();
    // The parameters just emptied are no transformation data any more.
    main->cb_fot->SetChecked(false);
    for (QLineEdit* e : {Edit1, Edit2, Edit3, Edit4}) e->setText("/");
}

void TFormGeom::Resetretteorizzontali1Click() { ResetFamily(false); }

void TFormGeom::Resetretteverticali1Click() { ResetFamily(true); }

void TFormGeom::Retteorizzontali1Click() {
    if (ConfirmDiscard(this, FamilyLines(*StringGrid2, "orizzontali"), "Ricominciando le rette"))
        ResetFamily(false);
}

void TFormGeom::Rettevertivali1Click() {
    if (ConfirmDiscard(this, FamilyLines(*StringGrid1, "verticali"), "Ricominciando le rette"))
        ResetFamily(true);
}

void TFormGeom::Eliminaultimaretta1Click() {
    TFormPrincipale* main = FormPrincipale;
    DiscardPendingLine();
    if (--LineRow <= 0) {
        LineRow = 1;
        return;
    }
    auto dropLast = [](StringGrid& grid, QLineEdit* count) {
        EmptyRow(grid, LineRow);
        const long long n = ParseInt(FieldText(count));
        if (n != 0) count->setText(QString::number(n - 1));
    };
    if (main->rb_linee_vert->Checked()) dropLast(*StringGrid1, Edit6);
    if (main->rb_linee_or->Checked()) dropLast(*StringGrid2, Edit5);
    RestorePictureAndLines();
}

void TFormGeom::Chiudi1Click() {
    DiscardPendingLine();
    hide();
    FormPrincipale->rb_linee_or->SetChecked(false);
    FormPrincipale->rb_linee_vert->SetChecked(false);
}

// ---- Vanishing points and parameters ----------------------------------------------

void TFormGeom::Calcolopuntidifuga1Click() {
    if (StringGrid1->Cell(4, 2).empty() || StringGrid2->Cell(4, 2).empty()) {
        ShowNotice("11");
        return;
    }
    DiscardPendingLine();
    const LineFamily vertical = ReadLineFamily(*StringGrid1);
    const LineFamily horizontal = ReadLineFamily(*StringGrid2);
    const std::optional<PlanePoint> vv = FitVanishingPoint(vertical);
    const std::optional<PlanePoint> hv = FitVanishingPoint(horizontal);
    if (!vv || !hv) {
        for (QLineEdit* e : {Edit1, Edit2, Edit3, Edit4}) e->setText("/");
        FormPrincipale->cb_fughe->SetChecked(false);
        ReportError(this,
                    !vv ? "Le rette verticali sono tutte parallele nell'immagine: il punto di "
                          "fuga verticale non esiste."
                        : "Le rette orizzontali sono tutte parallele nell'immagine: il punto "
                          "di fuga orizzontale non esiste.");
        return;
    }
    GeometricState& g = Geometric();
    g.Vertical = vertical;
    g.Horizontal = horizontal;
    g.VerticalVanishingPoint = *vv;
    g.HorizontalVanishingPoint = *hv;
    Edit1->setText(FixedText(vv->x, 10, 3));
    Edit2->setText(FixedText(vv->y, 10, 3));
    Edit3->setText(FixedText(hv->x, 10, 3));
    Edit4->setText(FixedText(hv->y, 10, 3));
    FitEditRowToText({Edit3, Edit4});
    FitEditRowToText({Edit1, Edit2});
    DrawProlongedLines();
    FormPrincipale->rb_linee_or->SetChecked(false);
    FormPrincipale->rb_linee_vert->SetChecked(false);
    FormPrincipale->cb_fughe->SetChecked(true);
    FormPrincipale->StatusBar1->SetPanel(5, " ");
}

void TFormGeom::DrawProlongedLines() {
    ImageControl* image = SourceImage();
    if (!image) return;
    const GeometricState& g = Geometric();
    image->canvas().penMode = PenMode::White;
    const QSize size = image->Picture().size();
    for (const auto& [family, vp] : {std::pair{&g.Vertical, g.VerticalVanishingPoint},
                                     std::pair{&g.Horizontal, g.HorizontalVanishingPoint}}) {
        for (int i = 1; i <= family->Count; ++i) {
            const ImageLine& l = family->Line(i);
            const QPoint end = FarEnd(l, vp, size);
            DrawLineSegment(image, int(Nearest(double(l.x1))), int(Nearest(double(l.y1))), end.x(),
                            end.y());
        }
    }
}

void TFormGeom::RefuseParameters(const QString& reason) {
    ResetParameters();
    FormPrincipale->cb_fot->SetChecked(false);
    ReportError(this, reason);
}

void TFormGeom::Calcoloparametri1Click() {
    TFormPrincipale* main = FormPrincipale;
    if (!main->cb_fughe->Checked()) {
        ShowNotice("12");
        return;
    }
    FormTabPar->resize(174, FormTabPar->height());
    GeometricState& g = Geometric();
    const SquareOutcome sq = BuildReferenceSquare(
        g.Horizontal, g.Vertical, g.VerticalVanishingPoint, g.HorizontalVanishingPoint);
    if (sq.fault != SquareFault::None) return RefuseParameters(SquareFaultText(sq));
    const std::optional<Projective> direct = SolveDirectGeometric(sq.square);
    if (!direct || !SolveInverseGeometric(sq.square))
        return RefuseParameters(
            "Due vertici del quadrato di riferimento coincidono o tre sono "
            "allineati nell'immagine: i parametri non si possono calcolare.");
    g.Square = sq.square;
    StringGrid& par = *FormTabPar->StringGrid1;
    ClearTable(par);
    for (int i = 1; i <= 8; ++i) {
        par.SetCell(0, i, kNames[i - 1]);
        // Five decimals, more for a small value (uu and vv of a photo taken
        // square-on): the table shows six significant digits at least.
        const long double v = direct->P(i);
        par.SetCell(1, i, FormatFixed(v, 14, DecimalsKeepingSignificant(v, 5, 6)));
        par.SetCell(2, i, "/");
    }
    NormalizeGridDecimals(par);
    par.Repaint();
    FormTabPar->FitToValues();
    // Beside this window, so the vanishing points stay in view.
    if (!FormTabPar->isVisible()) FormTabPar->PlaceBeside(this);
    FormTabPar->show();
    main->cb_fot->SetChecked(true);
    ComputeAreaExtent();
}

// ---- Area extent -------------------------------------------------------------------

bool ComputeAreaExtent() {
    TFormPrincipale* main = FormPrincipale;
    const AreaCorners c = FormLimiti->ReadCorners();
    AreaExtent e;
    if (main->rb_an->Checked()) {
        if (!PointCellsReadable(main, *FormTabFot->StringGrid1, {1, 2, 3, 4})) return false;
        FormTabRes->ResetDiagnostics();
        const AnalyticExtentOutcome o = AnalyticAreaExtent(
            *FormTabFot->StringGrid1, *FormTabRes->StringGrid1, *FormTabPar->StringGrid1,
            CleanBitmap.height(), c, FormOpzioni->Adjustment(true));
        FormTabRes->StringGrid1->Repaint();
        FormTabPar->StringGrid1->Repaint();
        FormTabRes->Edit1->setText(QString::fromStdString(o.unitVarianceText));
        if (o.status != EstimationStatus::Ok) {
            ShowErrorBox(main,
                         "I punti della tabella di unione non determinano la trasformazione: "
                         "l'estensione dell'area non si può calcolare.");
            return false;
        }
        e = o.extent;
    } else if (main->rb_geom->Checked()) {
        const std::optional<AreaExtent> g = GeometricAreaExtent(Geometric().Square, c);
        if (!g) {
            ShowErrorBox(main,
                         "Un vertice dell'area cade sulla retta all'infinito del piano di "
                         "riferimento: l'estensione dell'area non si può calcolare.");
            return false;
        }
        e = *g;
    } else {
        return false;
    }
    const long double values[4] = {e.Xin, e.Yin, e.Xfin, e.Yfin};
    QLineEdit* edits[4] = {FormLimiti->Edit1, FormLimiti->Edit2, FormLimiti->Edit3,
                           FormLimiti->Edit4};
    // Millimetres even at national-grid coordinates: ten digits at least.
    for (int i = 0; i < 4; ++i)
        edits[i]->setText(FixedText(values[i], PrecisionKeepingDecimals(values[i], 10, 3), 3));
    return true;
}
