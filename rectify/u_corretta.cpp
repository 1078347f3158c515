#include "rectify/u_corretta.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <cmath>

#include "app/u_avviso.h"
#include "app/u_forms.h"
#include "app/u_lavoro.h"
#include "app/u_principale.h"
#include "app/u_stato.h"
#include "export/U_tabptidxf.h"
#include "export/u_salvacorretta_ui.h"
#include "platform/fpcheck.h"
#include "platform/statusbar.h"
#include "rectify/u_rapporto.h"
#include "rectify/u_ricampiona_ui.h"
#include "rectify/u_scala.h"
#include "tables/u_omnia_ui.h"
#include "tables/u_stringhe.h"
#include "view/u_immagine.h"
#include "view/u_vista.h"

std::array<PlanePoint, 2> DistanceEnds;
long double MeasuredDistance = 0;

std::optional<RectifiedFrame> CurrentRectifiedFrame(int height) {
    const TFormPrincipale* main = FormPrincipale;
    if (main->rb_an->Checked()) {
        const AreaInputs area = FormLimiti->ReadArea();
        return AnalyticRectifiedFrame(area.Xin, area.Yin, area.Yfin,
                                      FormScala->ReadScale().pixelSize, height);
    }
    if (main->rb_geom->Checked())
        return GeometricRectifiedFrame(FormRapporto->ReadRatio().pixelSize, height);
    return std::nullopt;
}

namespace {
// Three decimals always: at least `precision` significant digits, more when
// the integer part needs them (a northing of 5 012 345.678 keeps its
// millimetres, and a distance measured between two readouts keeps its own).
QString Millimetres(long double v, int precision) {
    return FixedText(v, PrecisionKeepingDecimals(v, precision, 3), 3);
}

// A measure half done ends with the window it was measured on.
void EndMeasure() {
    FormPrincipale->rb_distanza_1->SetChecked(false);
    FormPrincipale->rb_distanza_2->SetChecked(false);
    Dragging = false;
}

// What both ways of closing leave behind them.
void ForgetRectifiedImage() {
    TFormPrincipale* main = FormPrincipale;
    CleanRectified = QImage();
    RectifiedWindow = nullptr;
    main->cb_corr->SetChecked(false);
    EndMeasure();
}

void ClearPointerPanels() {
    FormPrincipale->StatusBar1->SetPanel(MainPanel::PointerX, QString());
    FormPrincipale->StatusBar1->SetPanel(MainPanel::PointerY, QString());
}

// One end of the distance: the readout as the status bar shows it, into two
// of the main window's edits and back as reals.
PlanePoint TakeReadout(QLineEdit* xEdit, QLineEdit* yEdit) {
    const StatusBar* bar = FormPrincipale->StatusBar1;
    xEdit->setText(bar->Panel(MainPanel::PointerX));
    yEdit->setText(bar->Panel(MainPanel::PointerY));
    NormalizeEditDecimal(xEdit);
    NormalizeEditDecimal(yEdit);
    return {EditReal(xEdit), EditReal(yEdit)};
}
}  // namespace

TFormCorretta::TFormCorretta(QWidget* parent) : ImageWindowBase("FormCorretta", parent) {
    SetRectifiedImage(Image1);
}

void TFormCorretta::ShowPointer(int x, int y) {
    const std::optional<RectifiedFrame> frame =
        CurrentRectifiedFrame(std::as_const(*Image1).Picture().height());
    if (!frame) return;
    FpGuard guard;
    const PlanePoint p = frame->ToObject(x, y);
    // Values past the range of reals show nothing rather than a wrong number.
    const bool shown = !guard.Faulted() && std::isfinite(p.x) && std::isfinite(p.y);
    StatusBar* bar = FormPrincipale->StatusBar1;
    bar->SetPanel(MainPanel::PointerX, shown ? Millimetres(p.x, 8) : QString());
    bar->SetPanel(MainPanel::PointerY, shown ? Millimetres(p.y, 8) : QString());
}

bool TFormCorretta::BandFollowsPointer() const {
    return FormPrincipale->rb_distanza_1->Checked() || FormPrincipale->rb_distanza_2->Checked();
}

void TFormCorretta::ClickBranches(Qt::MouseButton, Qt::MouseButtons held, int x, int y) {
    DxfCollimationBranch(held);
    FirstDistanceEnd(held, x, y);
    SecondDistanceEnd(held, x, y);
}

void TFormCorretta::FirstDistanceEnd(Qt::MouseButtons held, int x, int y) {
    TFormPrincipale* main = FormPrincipale;
    if (!(held & Qt::LeftButton) || !main->rb_distanza_1->Checked()) return;
    MeasuredDistance = 0;
    main->StatusBar1->SetPanel(MainPanel::Result, "distanza: ");
    Image1->SetPicture(CleanRectified);
    Dragging = true;
    Image1->canvas().MoveTo(x, y);
    StartPoint = EndPoint = QPoint(x, y);
    DistanceEnds[0] = TakeReadout(main->Edit1, main->Edit2);
}

void TFormCorretta::SecondDistanceEnd(Qt::MouseButtons held, int x, int y) {
    TFormPrincipale* main = FormPrincipale;
    if (!(held & Qt::LeftButton) || !main->rb_distanza_2->Checked()) return;
    DrawRubberBand(Image1, StartPoint, QPoint(x, y), PenMode::White);
    Dragging = false;
    DistanceEnds[1] = TakeReadout(main->Edit3, main->Edit4);
    Image1->SetPicture(CleanRectified);
}

// The release after the first end arms the second; the release after the
// second shows the distance and ends the measure. Only the left button's
// release counts, as only its press records an end.
void TFormCorretta::Released(Qt::MouseButton button, Qt::MouseButtons, int, int) {
    TFormPrincipale* main = FormPrincipale;
    if (button != Qt::LeftButton) return;
    if (main->rb_distanza_2->Checked()) {
        MeasuredDistance = DistanceBetween(DistanceEnds[0].x, DistanceEnds[0].y, DistanceEnds[1].x,
                                           DistanceEnds[1].y);
        main->StatusBar1->SetPanel(MainPanel::Result,
                                   "distanza: " + Millimetres(MeasuredDistance, 10));
        main->rb_distanza_2->SetChecked(false);
        main->StatusBar1->SetPanel(MainPanel::Operation, QString());
    }
    if (main->rb_distanza_1->Checked()) main->rb_distanza_2->SetChecked(true);
}

bool TFormCorretta::MayClose() {
    FormPrincipale->Chiudi2Click();
    return false;
}

void TFormCorretta::FormClose() {
    TFormPrincipale* main = FormPrincipale;
    ForgetRectifiedImage();
    for (QAction* item : {main->Dxf1, main->Salva4, main->Chiudi2}) item->setEnabled(false);
    ResetGeoreference();
    ResetDxfPoints();
    ClearPointerPanels();
}

bool RectifyIntoNewWindow(const Projective& model, const AreaInputs& area, long double s,
                          long double fx, long double fy, QProgressBar* bar, StatusBar* status) {
    TFormPrincipale* main = FormPrincipale;
    if (!ImageWindow) return false;
    // Refused before any window opens: none is left behind empty.
    const ResampleGeometry g{model, s, fx, fy, area.Xin, area.Yin, area.Xfin, area.Yfin};
    if (!RectificationFeasible(g)) return false;
    main->cb_corr->SetChecked(true);
    auto* window = new TFormCorretta;
    window->setWindowTitle(ImageWindow->windowTitle() + "  ric");
    QMdiSubWindow* frame = main->MdiArea->addSubWindow(window);
    frame->resize(281, 216);
    frame->show();
    RectifiedWindow = window;
    status->hide();
    bar->show();
    const Interpolation kind = main->Lineare2->isChecked()    ? Interpolation::Nearest
                               : main->bicubica2->isChecked() ? Interpolation::Bicubic
                                                              : Interpolation::Bilinear;
    const bool made = ResampleImage(ImageWindow->Image1, window->Image1, bar, g, kind);
    status->show();
    bar->hide();
    if (!made) {
        // Freed without its close handler: nothing was opened to undo.
        delete frame;
        RectifiedWindow = nullptr;
        main->cb_corr->SetChecked(false);
        return false;
    }
    // Shares the pixels until a mark is drawn on the shown picture.
    CleanRectified = window->Image1->Picture();
    window->Image1->PrepareReducedCopies();
    for (QAction* item : {main->Dxf1, main->Salva4, main->Chiudi2}) item->setEnabled(true);
    return true;
}

void CloseRectifiedImage() {
    TFormPrincipale* main = FormPrincipale;
    if (!main->cb_corr->Checked()) {
        ShowNotice(NoticeNo::NoRectified);
        return;
    }
    if (!ConfirmDiscard(main, UnsavedDxfPoints(), "Chiudendo l'immagine corretta")) return;
    // Freed without its close handler: this answer has its own steps.
    if (RectifiedWindow) delete RectifiedWindow->parentWidget();
    ForgetRectifiedImage();
    main->Dxf1->setEnabled(false);
    ResetGeoreference();
    ResetDxfPoints();
    ClearPointerPanels();
    FormAvviso->hide();
}
