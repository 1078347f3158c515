#include "rectify/u_rapporto.h"

#include "tables/u_stringhe.h"

namespace {
// Pale yellow of the hidden factor edits (red 255, green 255, blue 128).
constexpr QRgb kFactorColour = 0xFFFF80;

QFont BoldTimes() {
    QFont bold("Times New Roman");
    bold.setPixelSize(13);
    bold.setBold(true);
    return bold;
}

QLabel* MakeLabel(const QString& name, const QString& text, QWidget* parent, int x, int y, int w) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(x, y, w, 18);
    return l;
}
}  // namespace

TFormRapporto::TFormRapporto(QWidget* parent)
    : ToolWindow("FormRapporto", "Definizione rapporto x/y", parent) {
    resize(387, 264);
    const QFont bold = BoldTimes();
    auto group = [&](const QString& name, const QString& caption, int x) {
        auto* g = new QGroupBox(caption, Body());
        g->setObjectName(name);
        g->setFont(bold);
        g->setGeometry(x, 4, 180, 66);
        return g;
    };
    auto measure = [&](QGroupBox* g, QLabel*& label, QLineEdit*& edit, int i, const char* caption,
                       int x) {
        label = MakeLabel(QString("Label%1").arg(i), caption, g, x, 18, 80);
        label->setFont(QFont());
        edit = MakeEdit(QString("Edit%1").arg(i), g, i % 2 ? "1.0" : "");
        edit->setFont(QFont());
        edit->setGeometry(x, 38, 80, 20);
        edit->setEnabled(i % 2 == 1);
    };
    GroupBox1 = group("GroupBox1", "  larghezza  ", 8);
    measure(GroupBox1, Label1, Edit1, 1, "oggetto", 6);
    measure(GroupBox1, Label2, Edit2, 2, "immagine", 94);
    GroupBox2 = group("GroupBox2", "  altezza  ", 196);
    measure(GroupBox2, Label3, Edit3, 3, "oggetto", 6);
    measure(GroupBox2, Label4, Edit4, 4, "immagine", 94);
    Edit5 = MakeEdit("Edit5", Body());
    Edit8 = MakeEdit("Edit8", Body());
    for (QLineEdit* e : {Edit5, Edit8}) {
        QPalette p = e->palette();
        p.setColor(QPalette::Base, QColor::fromRgb(kFactorColour));
        e->setPalette(p);
        e->hide();
    }
    Label6 = MakeLabel("Label6", "valore in metri di un pixel :", Body(), 8, 80, 240);
    Edit6 = MakeEdit("Edit6", Body());
    Edit6->setGeometry(250, 80, 110, 20);
    Label7 = MakeLabel("Label7", "risoluzione immagine corretta (dpi) :", Body(), 8, 106, 240);
    Edit7 = MakeEdit("Edit7", Body());
    Edit7->setGeometry(250, 106, 110, 20);
    Label8 = MakeLabel("Label8", "dimensione immagine corretta (pi) :", Body(), 8, 132, 240);
    Label9 = MakeLabel("Label9", "", Body(), 250, 132, 120);
    Label10 = MakeLabel("Label10", "dimensione immagine corretta (cm) :", Body(), 8, 154, 240);
    Label11 = MakeLabel("Label11", "", Body(), 250, 154, 120);
    for (QLabel* l : {Label6, Label7, Label8, Label10}) l->setFont(bold);
    Label9->hide();
    Label11->hide();
    QLineEdit** ends[] = {&Edit11, &Edit12, &Edit13, &Edit14, &Edit15, &Edit16, &Edit17, &Edit18};
    for (int i = 0; i < 8; ++i) {
        *ends[i] = MakeEdit(QString("Edit%1").arg(11 + i), Body());
        (*ends[i])->hide();
    }
    ProgressBar1 = AddProgressBar();
    StatusBar1 = AddStatusBar({200});
    Misuralarghezza1 = AddCommand("Misura larghezza", "Misuralarghezza1");
    Misuraaltezza1 = AddCommand("Misura altezza", "Misuraaltezza1");
    Anteprima1 = AddCommand("Anteprima", "Anteprima1");
    Vek1 = AddCommand("Vek", "Vek1");
    Chiudi1 = AddCommand("Chiudi", "Chiudi1", this, &QWidget::hide);
}

RatioInputs TFormRapporto::ReadRatio() const {
    auto real = [](const QLineEdit* e) { return TextToReal(e->text().toStdString()); };
    return {real(Edit1), real(Edit2), real(Edit3), real(Edit4),
            real(Edit5), real(Edit8), real(Edit6), real(Edit7)};
}
