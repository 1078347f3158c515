#include "app/u_opzioni.h"

#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <cmath>

#include "analytic/u_tabres.h"
#include "analytic/u_tabrpar.h"
#include "app/u_forms.h"
#include "app/u_principale.h"
#include "export/U_tabptidxf.h"
#include "platform/fonts.h"
#include "tables/u_stringhe.h"

void SetSwatch(QLineEdit* swatch, const QColor& c) {
    QPalette pal = swatch->palette();
    pal.setColor(QPalette::Base, c);
    swatch->setPalette(pal);
}

QColor SwatchColor(const QLineEdit* swatch) { return swatch->palette().color(QPalette::Base); }

namespace {
QSpinBox* MakeSpin(const QString& name, QWidget* parent, int lo, int hi, int value) {
    auto* s = new QSpinBox(parent);
    s->setObjectName(name);
    s->setRange(lo, hi);
    s->setValue(value);
    return s;
}
}  // namespace

TFormOpzioni::TFormOpzioni(QWidget* parent) : ToolWindow("FormOpzioni", "Opzioni ...", parent) {
    resize(269, 287);
    const QFont labelFont = LabelFont(LabelWeight::Regular);
    int y = 8;
    auto row = [&](const QString& caption, QWidget* control) {
        auto* l = new QLabel(caption, Body());
        l->setFont(labelFont);
        l->setGeometry(8, y, 190, 20);
        control->setParent(Body());
        control->setGeometry(200, y, 50, 20);
        y += 28;
    };
    SpinEdit1 = MakeSpin("SpinEdit1", Body(), 1, 10, 2);
    Edit1 = MakeEdit("Edit1", Body());
    SpinEdit2 = MakeSpin("SpinEdit2", Body(), 1, 99, 10);
    Edit2 = MakeEdit("Edit2", Body());
    Edit3 = MakeEdit("Edit3", Body());
    SpinEdit3 = MakeSpin("SpinEdit3", Body(), 1, 50, 25);
    row("fattore di ingrandimento dello zoom", SpinEdit1);
    row("colore dei punti collimati", Edit1);
    row("scala dei residui", SpinEdit2);
    row("colore dei vettori residuo", Edit2);
    row("colore punti per dxf", Edit3);
    row("velocità di spostamento ", SpinEdit3);
    for (QLineEdit* swatch : {Edit1, Edit2, Edit3}) {
        swatch->setReadOnly(true);
        swatch->setCursor(Qt::PointingHandCursor);
        swatch->installEventFilter(this);
    }
    SetSwatch(Edit1, Qt::red);
    SetSwatch(Edit2, Qt::cyan);
    SetSwatch(Edit3, Qt::blue);
    cb_resstand = new CheckBox("cb_resstand", Body());
    cb_resstand->setGeometry(8, y, 120, 20);
    cb_varcovar = new CheckBox("cb_varcovar", Body());
    cb_varcovar->setGeometry(136, y, 120, 20);
    y += 28;
    cb_lineare = new CheckBox("cb_lineare", Body());
    cb_lineare->setText("stima lineare senza iterazioni");
    cb_lineare->setGeometry(8, y, 250, 20);
    y += 28;
    cb_distorsione = new CheckBox("cb_distorsione", Body());
    cb_distorsione->setText("distorsione radiale (k1, k2)");
    cb_distorsione->setGeometry(8, y, 250, 20);
    y += 28;
    Edit4 = MakeEdit("Edit4", Body());
    Edit4->setText("3.29");
    row("valore critico dei residui std.", Edit4);
    resize(width(), height() + 84);
    connect(cb_resstand, &QCheckBox::clicked, this, &TFormOpzioni::cb_resstandClick);
    connect(cb_varcovar, &QCheckBox::clicked, this, &TFormOpzioni::cb_varcovarClick);
    StatusBar1 = AddStatusBar({150});
    AddCommand("Chiudi", "Chiudi1", this, &TFormOpzioni::Chiudi1Click);
}

bool TFormOpzioni::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == Edit1) Edit1Click();
        if (watched == Edit2) Edit2Click();
        if (watched == Edit3) Edit3Click();
    }
    return ToolWindow::eventFilter(watched, event);
}

void TFormOpzioni::Edit1Click() {
    FormPrincipale->ColorDialog1.Execute(this);
    SetSwatch(Edit1, FormPrincipale->ColorDialog1.Color);
}

void TFormOpzioni::Edit2Click() {
    FormTabRes->ColorDialog1.Execute(this);
    SetSwatch(Edit2, FormTabRes->ColorDialog1.Color);
}

void TFormOpzioni::Edit3Click() {
    FormTabPtiDxf->ColorDialog1.Execute(this);
    SetSwatch(Edit3, FormTabPtiDxf->ColorDialog1.Color);
}

void TFormOpzioni::cb_resstandClick() { FormTabRes->ShowStandardised(cb_resstand->Checked()); }

void TFormOpzioni::cb_varcovarClick() { FormTabPar->ShowVariances(cb_varcovar->Checked()); }

std::optional<long double> TFormOpzioni::OutlierLimit() const {
    const std::optional<long double> v = ReadTypedNumber(Edit4->text().toStdString());
    if (!v || !(*v > 0) || !std::isfinite(*v)) return std::nullopt;
    return v;
}

void TFormOpzioni::Chiudi1Click() { hide(); }

AdjustmentOptions TFormOpzioni::Adjustment(bool upward) const {
    AdjustmentOptions o;
    o.linearOnly = cb_lineare->Checked();
    o.radialDistortion = cb_distorsione->Checked() && !CleanBitmap.isNull();
    if (o.radialDistortion)
        o.lens = RadialDistortion::ForPhoto(CleanBitmap.width(), CleanBitmap.height(), upward);
    return o;
}
