#include "app/u_forms.h"

#include <QApplication>

#include "analytic/u_matrici.h"
#include "analytic/u_tabres.h"
#include "analytic/u_tabrpar.h"
#include "app/u_about.h"
#include "app/u_avviso.h"
#include "app/u_info.h"
#include "app/u_opzioni.h"
#include "app/u_principale.h"
#include "export/U_tabptidxf.h"
#include "export/u_dxf.h"
#include "export/u_georeferenzia.h"
#include "geometric/u_geom.h"
#include "platform/fonts.h"
#include "rectify/u_anteprima.h"
#include "rectify/u_rapporto.h"
#include "rectify/u_scala.h"
#include "tables/u_chiavi.h"
#include "tables/u_omnia.h"
#include "tables/u_tabfot.h"
#include "tables/u_tabimm.h"
#include "tables/u_tabogg.h"
#include "view/u_immagine.h"
#include "view/u_limiti.h"
#include "view/u_naviga.h"

TFormPrincipale* FormPrincipale = nullptr;
TFormAbout* FormAbout = nullptr;
TFormAvviso* FormAvviso = nullptr;
TFormTabPtiDxf* FormTabPtiDxf = nullptr;
TFormTabImm* FormTabImm = nullptr;
TFormTabOgg* FormTabOgg = nullptr;
TFormTabFot* FormTabFot = nullptr;
TFormNaviga* FormNaviga = nullptr;
TFormTabRes* FormTabRes = nullptr;
TFormTabPar* FormTabPar = nullptr;
TFormLimiti* FormLimiti = nullptr;
TFormScala* FormScala = nullptr;
TFormAnteprima* FormAnteprima = nullptr;
TFormGeoreferenzia* FormGeoreferenzia = nullptr;
TFormOpzioni* FormOpzioni = nullptr;
TFormDxf* FormDxf = nullptr;
TFormGeom* FormGeom = nullptr;
TFormRapporto* FormRapporto = nullptr;
TFormInfo* FormInfo = nullptr;

TFormImmagine* ImageWindow = nullptr;
QImage CleanBitmap;
QWidget* RectifiedWindow = nullptr;
QImage CleanRectified;

QPoint StartPoint, EndPoint;
bool Dragging = false;
int LastMouseX = 0, LastMouseY = 0;
int LineRow = 0, LinePhase = 0;
int MeasurePhase = 0;

StatePanel& MainState() { return *FormPrincipale; }

TFormPrincipale* CreateApplicationWindows() {
    // Tool windows are owned by the main window (so they stay above it) and
    // live until it goes.
    // Every window is drawn in the designed font and carries Vek's icon.
    QApplication::setFont(DesignFont());
    QApplication::setWindowIcon(VekIcon());
    FormPrincipale = new TFormPrincipale;
    QWidget* owner = FormPrincipale;
    FormAbout = new TFormAbout(owner);
    FormAvviso = new TFormAvviso(owner);
    FormTabPtiDxf = new TFormTabPtiDxf(owner);
    FormTabImm = new TFormTabImm(owner);
    FormTabOgg = new TFormTabOgg(owner);
    FormTabFot = new TFormTabFot(owner);
    FormNaviga = new TFormNaviga(owner);
    FormTabRes = new TFormTabRes(owner);
    FormTabPar = new TFormTabPar(owner);
    FormLimiti = new TFormLimiti(owner);
    FormScala = new TFormScala(owner);
    FormAnteprima = new TFormAnteprima(owner);
    FormGeoreferenzia = new TFormGeoreferenzia(owner);
    FormOpzioni = new TFormOpzioni(owner);
    FormDxf = new TFormDxf(owner);
    FormGeom = new TFormGeom(owner);
    FormRapporto = new TFormRapporto(owner);
    FormInfo = new TFormInfo(owner);

    SetTableHeader(*FormTabImm->StringGrid1, TableKey::Nxy);
    SetTableHeader(*FormTabOgg->StringGrid1, TableKey::Nxy);
    SetTableHeader(*FormTabFot->StringGrid1, TableKey::Nxyxy);
    SetTableHeader(*FormTabPtiDxf->StringGrid1, TableKey::Nxy);
    SetTableHeader(*FormTabRes->StringGrid1, TableKey::Nxyrxry);
    SetTableHeader(*FormTabPar->StringGrid1, TableKey::Npar);
    SetTableHeader(*FormGeom->StringGrid1, TableKey::Nrette);
    SetTableHeader(*FormGeom->StringGrid2, TableKey::Nrette);
    // Titles wider than their designed columns widen them.
    for (StringGrid* g : {FormTabImm->StringGrid1, FormTabOgg->StringGrid1, FormTabFot->StringGrid1,
                          FormTabPtiDxf->StringGrid1, FormGeom->StringGrid1, FormGeom->StringGrid2})
        g->FitColumnsToText();
    FormTabRes->FitToValues();
    FormTabPar->FitToValues();
    // Return on a picture registers the point just clicked on it.
    ReturnRegistersPoints(FormPrincipale->MdiArea, {FormTabImm, FormTabPtiDxf});
    // The geometric matrix routines report a failure in the method panel.
    SetMatrixErrorSink([](const std::string& text) {
        if (FormPrincipale)
            FormPrincipale->StatusBar1->SetPanel(MainPanel::Method, QString::fromStdString(text));
    });
    return FormPrincipale;
}

void DestroyApplicationWindows() {
    SetMatrixErrorSink(nullptr);
    delete FormPrincipale;  // owns every other window
    FormPrincipale = nullptr;
    FormAbout = nullptr;
    FormAvviso = nullptr;
    FormTabPtiDxf = nullptr;
    FormTabImm = nullptr;
    FormTabOgg = nullptr;
    FormTabFot = nullptr;
    FormNaviga = nullptr;
    FormTabRes = nullptr;
    FormTabPar = nullptr;
    FormLimiti = nullptr;
    FormScala = nullptr;
    FormAnteprima = nullptr;
    FormGeoreferenzia = nullptr;
    FormOpzioni = nullptr;
    FormDxf = nullptr;
    FormGeom = nullptr;
    FormRapporto = nullptr;
    FormInfo = nullptr;
    ImageWindow = nullptr;
    CleanBitmap = QImage();
    RectifiedWindow = nullptr;
    CleanRectified = QImage();
    StartPoint = EndPoint = QPoint();
    Dragging = false;
    LastMouseX = LastMouseY = 0;
    LineRow = LinePhase = MeasurePhase = 0;
}
