#include "export/U_tabptidxf.h"

#include <optional>

#include "app/u_forms.h"
#include "app/u_pannello.h"
#include "app/u_principale.h"
#include "export/u_salvacorretta_ui.h"
#include "platform/imagecontrol.h"
#include "rectify/u_corretta.h"
#include "tables/u_omnia.h"
#include "tables/u_omnia_ui.h"
#include "tables/u_stringhe.h"
#include "view/u_vista.h"

namespace {

// With the rectified image closed there is nothing to draw on; the table's
// commands then work on the table alone.
void RestoreCleanRectified() {
    if (ImageControl* image = RectifiedImage()) image->SetPicture(CleanRectified);
}

void DrawTable(StringGrid& grid, const QColor& colour) {
    ImageControl* image = RectifiedImage();
    if (!image) return;
    // The frame of the checked method, read at the moment of drawing.
    const std::optional<RectifiedFrame> frame =
        CurrentRectifiedFrame(std::as_const(*image).Picture().height());
    if (frame) DrawObjectPoints(grid, image, colour, *frame);
}

}  // namespace

TFormTabPtiDxf::TFormTabPtiDxf(QWidget* parent)
    : ToolWindow("FormTabPtiDxf", "Tabella costruzione dxf", parent),
      SaveDialog1(FileDialog::Save),
      ColorDialog1(Qt::blue) {
    resize(240, 330);
    StringGrid1 = MakeTableGrid(Body(), 3, 5000, {43, 80, 85}, false);
    StringGrid1->SetRowSelect(true);
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MakeEditRowAndStatusBar(this, Edit1, Edit2, Edit3, StatusBar1, {5, 50});
    setFocusProxy(Edit1);

    AddCommand("Inizia collimazione", "Iniziacollimazione1", this,
               &TFormTabPtiDxf::Iniziacollimazione1Click);
    AddCommand("Registra punto", "Registrapunto1", this, &TFormTabPtiDxf::Registrapunto1Click);
    AddCommand("Elimina punto", "Eliminapunto1", this, &TFormTabPtiDxf::Eliminapunto1Click);
    AddCommand("Edita punto", "Editapunto1", this, &TFormTabPtiDxf::Editapunto1Click);
    AddCommand("Reset tabella", "Resettabella1", this, &TFormTabPtiDxf::Resettabella1Click);
    AddCommand("Disegna tabella", "Disegnatabella1", this, &TFormTabPtiDxf::Disegnatabella1Click);
    AddCommand("Chiudi", "Chiudi1", this, &TFormTabPtiDxf::Chiudi1Click);
    connect(StringGrid1, &StringGrid::MouseDown, this, &TFormTabPtiDxf::StringGrid1MouseDown);
}

void DxfCollimationBranch(Qt::MouseButtons held) {
    if (!(held & Qt::LeftButton) || !FormPrincipale->rb_dxf->Checked()) return;
    FormTabPtiDxf->Edit2->setText(FormPrincipale->StatusBar1->Panel(0));
    FormTabPtiDxf->Edit3->setText(FormPrincipale->StatusBar1->Panel(1));
    NormalizeEditDecimal(FormTabPtiDxf->Edit2);
    NormalizeEditDecimal(FormTabPtiDxf->Edit3);
    NoteNewPoint(FormTabPtiDxf->Edit2);
}

void TFormTabPtiDxf::RedrawObjectPoints() {
    StringGrid1->Repaint();
    RestoreCleanRectified();
    DrawTable(*StringGrid1, ColorDialog1.Color);
}

void TFormTabPtiDxf::Iniziacollimazione1Click() {
    FormPrincipale->rb_dxf->SetChecked(true);
    FormPrincipale->StatusBar1->SetPanel(5, " collimazione dxf");
    Edit1->setText("1");
}

void TFormTabPtiDxf::Registrapunto1Click() {
    const bool method = FormPrincipale->rb_an->Checked() || FormPrincipale->rb_geom->Checked();
    const bool dxf = FormPrincipale->rb_dxf->Checked();
    const bool edita = FormPrincipale->rb_edita->Checked();
    if (method && dxf && !edita) {
        if (!TakeNewPoint(Edit2, *FormPrincipale->StatusBar1, MainPanel::Result)) return;
        const long double x = TextToReal(FieldText(Edit2)), y = TextToReal(FieldText(Edit3));
        if (Edit1->text().isEmpty()) Edit1->setText("?");
        AppendMetricPoint(*StringGrid1, FieldText(Edit1), x, y);
        RedrawObjectPoints();
        CountOnName(Edit1);
    } else if (method && dxf && edita) {
        WritePressedRow(*StringGrid1, *StatusBar1, Edit1, Edit2, Edit3);
        RedrawObjectPoints();
        FormPrincipale->rb_edita->SetChecked(false);
    }
    Edit1->setFocus();
}

void TFormTabPtiDxf::Eliminapunto1Click() {
    FormPrincipale->rb_elimina->SetChecked(true);
    FormPrincipale->StatusBar1->SetPanel(4, " elimina punto");
}

void TFormTabPtiDxf::Editapunto1Click() {
    FormPrincipale->rb_edita->SetChecked(true);
    FormPrincipale->StatusBar1->SetPanel(4, " edita punto");
}

void TFormTabPtiDxf::StringGrid1MouseDown(Qt::MouseButton) {
    const int k = StringGrid1->Selection().top;
    const bool method = FormPrincipale->rb_an->Checked() || FormPrincipale->rb_geom->Checked();
    if (FormPrincipale->rb_elimina->Checked() && method) {
        if (DeletePressedRow(*StringGrid1, *StatusBar1, k)) {
            RestoreCleanRectified();
            DrawTable(*StringGrid1, ColorDialog1.Color);
        }
        FormPrincipale->rb_elimina->SetChecked(false);
    }
    if (FormPrincipale->rb_edita->Checked())
        LoadPressedRow(*StringGrid1, *StatusBar1, k, Edit1, Edit2, Edit3);
    FormPrincipale->StatusBar1->SetPanel(4, "");
}

void TFormTabPtiDxf::Resettabella1Click() {
    ClearTable(*StringGrid1);
    StringGrid1->Repaint();
    RestoreCleanRectified();
}

void TFormTabPtiDxf::Disegnatabella1Click() { DrawTable(*StringGrid1, ColorDialog1.Color); }

void TFormTabPtiDxf::Chiudi1Click() { hide(); }
