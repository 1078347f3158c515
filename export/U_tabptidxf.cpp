#include "export/U_tabptidxf.h"

#include <optional>

#include "app/u_forms.h"
#include "app/u_principale.h"
#include "export/u_salvacorretta_ui.h"
#include "platform/imagecontrol.h"
#include "rectify/u_corretta.h"
#include "tables/u_omnia.h"
#include "tables/u_omnia_ui.h"
#include "tables/u_stringhe.h"
#include "view/u_vista.h"

TFormTabPtiDxf::TFormTabPtiDxf(QWidget* parent)
    : PointTableWindow("FormTabPtiDxf", "Tabella costruzione dxf",
                       {{240, 330}, 5000, {43, 80, 85}, {5, 50}, false}, parent),
      SaveDialog1(FileDialog::Save),
      ColorDialog1(Qt::blue) {
    AddCommand("Disegna tabella", "Disegnatabella1", this, &TFormTabPtiDxf::Disegnatabella1Click);
    AddCommand("Chiudi", "Chiudi1", this, &TFormTabPtiDxf::Chiudi1Click);
}

RadioButton* TFormTabPtiDxf::CollimationMode() const { return FormPrincipale->rb_dxf; }

bool TFormTabPtiDxf::MethodChosen() const {
    return FormPrincipale->rb_an->Checked() || FormPrincipale->rb_geom->Checked();
}

void TFormTabPtiDxf::AppendPending(const std::string& name) {
    AppendMetricPoint(*StringGrid1, name, TextToReal(FieldText(Edit2)),
                      TextToReal(FieldText(Edit3)));
}

void TFormTabPtiDxf::RestorePicture() {
    if (ImageControl* image = RectifiedImage()) image->SetPicture(CleanRectified);
}

void TFormTabPtiDxf::DrawPoints() {
    ImageControl* image = RectifiedImage();
    if (!image) return;
    // The frame of the checked method, read at the moment of drawing.
    const std::optional<RectifiedFrame> frame =
        CurrentRectifiedFrame(std::as_const(*image).Picture().height());
    if (frame) DrawObjectPoints(*StringGrid1, image, ColorDialog1.Color, *frame);
}

void DxfCollimationBranch(Qt::MouseButtons held) {
    if (!(held & Qt::LeftButton) || !FormPrincipale->rb_dxf->Checked()) return;
    const StatusBar& main = *FormPrincipale->StatusBar1;
    FormTabPtiDxf->TakeClickedPoint(main.Panel(0), main.Panel(1));
    NormalizeEditDecimal(FormTabPtiDxf->Edit2);
    NormalizeEditDecimal(FormTabPtiDxf->Edit3);
}

void TFormTabPtiDxf::Iniziacollimazione1Click() {
    FormPrincipale->rb_dxf->SetChecked(true);
    FormPrincipale->StatusBar1->SetPanel(5, " collimazione dxf");
    Edit1->setText("1");
}

void TFormTabPtiDxf::Resettabella1Click() {
    ClearTable(*StringGrid1);
    StringGrid1->Repaint();
    RestorePicture();
}

void TFormTabPtiDxf::Disegnatabella1Click() { DrawPoints(); }

void TFormTabPtiDxf::Chiudi1Click() { hide(); }
