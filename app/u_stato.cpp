#include "app/u_stato.h"

#include <QAction>

#include "analytic/u_tabres.h"
#include "analytic/u_tabrpar.h"
#include "app/u_avviso.h"
#include "app/u_forms.h"
#include "app/u_principale.h"
#include "export/U_tabptidxf.h"
#include "export/u_georeferenzia.h"
#include "geometric/u_geom.h"
#include "rectify/u_rapporto.h"
#include "rectify/u_scala.h"
#include "tables/u_omnia.h"
#include "tables/u_tabfot.h"
#include "tables/u_tabimm.h"
#include "tables/u_tabogg.h"
#include "view/u_limiti.h"
#include "view/u_naviga.h"

namespace {
void EmptyEdits(QWidget* owner, int first, int last) {
    for (int i = first; i <= last; ++i)
        if (auto* e = owner->findChild<QLineEdit*>(QString("Edit%1").arg(i))) e->clear();
}
}  // namespace

void CloseNavigator() { FormNaviga->hide(); }

void ResetGeometricLines() {
    FormGeom->hide();
    FormGeom->Edit1->setText("/");
    FormGeom->Edit2->setText("/");
    FormGeom->Edit3->setText("0");
    FormGeom->Edit4->setText("0");
    FormGeom->Edit5->setText("0");
    FormGeom->Edit6->setText("0");
    ClearTable(*FormGeom->StringGrid1);
    ClearTable(*FormGeom->StringGrid2);
    FormPrincipale->cb_fughe->SetChecked(false);
    // Entry goes on from row 1 of the emptied grids; a half-entered line
    // went with them, and so does its rubber band.
    if (LinePhase == 2) Dragging = false;
    LineRow = 1;
    LinePhase = 1;
}

void ResetArea() {
    FormLimiti->hide();
    EmptyEdits(FormLimiti, 1, 12);
    FormPrincipale->cb_area->SetChecked(false);
}

void ResetRatio() {
    FormRapporto->hide();
    EmptyEdits(FormRapporto, 1, 7);
    FormPrincipale->cb_scala->SetChecked(false);
}

void ResetScale() {
    FormScala->hide();
    FormScala->Edit1->clear();
    FormScala->Edit2->setText("100");
    FormScala->Label1->update();
    FormScala->Label2->update();
    FormPrincipale->cb_scala->SetChecked(false);
}

void ResetImageTable() {
    FormTabImm->hide();
    ClearTable(*FormTabImm->StringGrid1);
    EmptyEdits(FormTabImm, 1, 3);
}

void ResetObjectTable() {
    FormTabOgg->hide();
    ClearTable(*FormTabOgg->StringGrid1);
}

void ResetUnionTable() {
    FormTabFot->hide();
    ClearTable(*FormTabFot->StringGrid1);
    FormPrincipale->cb_fot->SetChecked(false);
}

void ResetResiduals() {
    FormTabRes->hide();
    ClearTable(*FormTabRes->StringGrid1);
}

void ResetParameters() {
    FormTabPar->hide();
    ClearTable(*FormTabPar->StringGrid1);
}

void ResetDxfPoints() {
    FormTabPtiDxf->hide();
    ClearTable(*FormTabPtiDxf->StringGrid1);
    EmptyEdits(FormTabPtiDxf, 1, 3);
    FormPrincipale->StatusBar1->SetPanel(5, QString());
}

void ResetGeoreference() {
    FormGeoreferenzia->hide();
    EmptyEdits(FormGeoreferenzia, 1, 6);
}

void ResetSession() {
    CloseNavigator();
    ResetGeometricLines();
    ResetImageTable();
    ResetRatio();
    ResetArea();
    ResetScale();
    ResetUnionTable();
    ResetObjectTable();
    ResetResiduals();
    ResetParameters();
}

void ResetAfterSourceClose() {
    ResetSession();
    FormNaviga->SetAutoSize(false);
    FormPrincipale->Action("Navigatore2")->setChecked(false);
    CleanBitmap = QImage();
    ImageWindow = nullptr;
    FormPrincipale->cb_imm->SetChecked(false);
    FormPrincipale->StatusBar1->SetPanel(0, QString());
    FormPrincipale->StatusBar1->SetPanel(1, QString());
}

void CloseRectifiedImage() {
    if (!FormPrincipale->cb_corr->Checked()) {
        ShowNotice("2");
        return;
    }
    ResetGeoreference();
    ResetDxfPoints();
}
