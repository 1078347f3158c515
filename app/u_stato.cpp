#include "app/u_stato.h"

#include <initializer_list>

#include "analytic/u_tabres.h"
#include "analytic/u_tabrpar.h"
#include "app/u_forms.h"
#include "app/u_pannello.h"
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
void Empty(std::initializer_list<QLineEdit*> edits) {
    for (QLineEdit* e : edits) e->clear();
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
    MainState().cb_fughe->SetChecked(false);
    // Entry goes on from row 1 of the emptied grids; a half-entered line
    // went with them, and so does its rubber band.
    if (LinePhase == 2) Dragging = false;
    LineRow = 1;
    LinePhase = 1;
}

void ResetArea() {
    FormLimiti->hide();
    const TFormLimiti* a = FormLimiti;
    Empty({a->Edit1, a->Edit2, a->Edit3, a->Edit4, a->Edit5, a->Edit6, a->Edit7, a->Edit8, a->Edit9,
           a->Edit10, a->Edit11, a->Edit12});
    MainState().cb_area->SetChecked(false);
}

void ResetRatio() {
    FormRapporto->hide();
    const TFormRapporto* r = FormRapporto;
    Empty({r->Edit1, r->Edit2, r->Edit3, r->Edit4, r->Edit5, r->Edit6, r->Edit7});
    MainState().cb_scala->SetChecked(false);
}

void ResetScale() {
    FormScala->hide();
    FormScala->Edit1->clear();
    FormScala->Edit2->setText("100");
    FormScala->Label1->update();
    FormScala->Label2->update();
    MainState().cb_scala->SetChecked(false);
}

void ResetImageTable() {
    FormTabImm->hide();
    ClearTable(*FormTabImm->StringGrid1);
    Empty({FormTabImm->Edit1, FormTabImm->Edit2, FormTabImm->Edit3});
}

void ResetObjectTable() {
    FormTabOgg->hide();
    ClearTable(*FormTabOgg->StringGrid1);
}

void ResetUnionTable() {
    FormTabFot->hide();
    ClearTable(*FormTabFot->StringGrid1);
    MainState().cb_fot->SetChecked(false);
}

void ResetResiduals() {
    FormTabRes->hide();
    ClearTable(*FormTabRes->StringGrid1);
    FormTabRes->ResetDiagnostics();
}

void ResetParameters() {
    FormTabPar->hide();
    ClearTable(*FormTabPar->StringGrid1);
}

void ResetDxfPoints() {
    FormTabPtiDxf->hide();
    ClearTable(*FormTabPtiDxf->StringGrid1);
    Empty({FormTabPtiDxf->Edit1, FormTabPtiDxf->Edit2, FormTabPtiDxf->Edit3});
    MainState().StatusBar1->SetPanel(MainPanel::Operation, QString());
}

void ResetGeoreference() {
    FormGeoreferenzia->hide();
    const TFormGeoreferenzia* g = FormGeoreferenzia;
    Empty({g->Edit1, g->Edit2, g->Edit3, g->Edit4, g->Edit5, g->Edit6});
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
