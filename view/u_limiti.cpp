#include "view/u_limiti.h"

#include <QLabel>

#include "app/u_forms.h"
#include "app/u_principale.h"
#include "geometric/u_geom.h"
#include "tables/u_stringhe.h"
#include "view/u_immagine.h"
#include "view/u_vista.h"

TFormLimiti::TFormLimiti(QWidget* parent)
    : ToolWindow("FormLimiti", "Area di ricampionamento", parent) {
    resize(169, 176);
    setFont(QFont("MS Sans Serif", 8));
    QFont bold("Times New Roman");
    bold.setPixelSize(13);
    bold.setBold(true);
    QLineEdit** edits[12] = {&Edit1, &Edit2, &Edit3, &Edit4,  &Edit5,  &Edit6,
                             &Edit7, &Edit8, &Edit9, &Edit10, &Edit11, &Edit12};
    const char* captions[4] = {"Xin", "Yin", "Xfin", "Yfin"};
    for (int i = 0; i < 12; ++i) {
        QLineEdit* e = MakeEdit(QString("Edit%1").arg(i + 1), Body());
        *edits[i] = e;
        if (i >= 4) {
            e->hide();
            continue;
        }
        auto* l = new QLabel(captions[i], Body());
        l->setFont(bold);
        l->setGeometry(8, 8 + i * 26, 40, 20);
        e->setGeometry(52, 8 + i * 26, 105, 20);
    }
    StatusBar1 = AddStatusBar({100});
    AddCommand("Chiudi", "Chiudi1", this, &TFormLimiti::Chiudi1Click);
}

QLineEdit* TFormLimiti::EditNumber(int i) const {
    QLineEdit* const edits[12] = {Edit1, Edit2, Edit3, Edit4,  Edit5,  Edit6,
                                  Edit7, Edit8, Edit9, Edit10, Edit11, Edit12};
    return i >= 1 && i <= 12 ? edits[i - 1] : nullptr;
}

void TFormLimiti::Chiudi1Click() { hide(); }

AreaLimits ReadAreaLimits() {
    auto real = [](const QLineEdit* e) { return TextToReal(e->text().toStdString()); };
    return {real(FormLimiti->Edit1), real(FormLimiti->Edit2), real(FormLimiti->Edit3),
            real(FormLimiti->Edit4)};
}

long long CornerOrdinate(long long row, long long height, bool analytic) {
    return analytic ? height - row : row;
}

long long CornerRow(long long ordinate, long long height, bool analytic) {
    return analytic ? height - ordinate : ordinate;
}

namespace {
ImageControl* SourceImage() { return ImageWindow ? ImageWindow->Image1 : nullptr; }

bool Analytic() { return FormPrincipale->rb_an->Checked(); }

bool CornerClick(Qt::MouseButtons held, RadioButton* mode) {
    return (held & Qt::LeftButton) && mode->Checked() && SourceImage();
}

void StoreCorner(QLineEdit* column, QLineEdit* ordinate, int x, int y) {
    column->setText(QString::number(x));
    ordinate->setText(
        QString::number(CornerOrdinate(y, SourceImage()->Picture().height(), Analytic())));
}

// Corners 2 and 3: the band now starts from the corner just clicked.
void MiddleCorner(int x, int y, QLineEdit* column, QLineEdit* ordinate, RadioButton* next) {
    SourceImage()->canvas().MoveTo(x, y);
    StartPoint = EndPoint = QPoint(x, y);
    StoreCorner(column, ordinate, x, y);
    next->SetChecked(true);
}
}  // namespace

void FourthCornerBranch(Qt::MouseButtons held, int x, int y) {
    TFormPrincipale* main = FormPrincipale;
    if (!CornerClick(held, main->rb_limiti_4)) return;
    ImageControl* image = SourceImage();
    DrawRubberBand(image, StartPoint, QPoint(x, y), PenMode::White);
    StoreCorner(FormLimiti->Edit11, FormLimiti->Edit12, x, y);
    // Back to corner 1 with the same white dash-dot pen: the outline closes.
    const long long first = ParseInt(FormLimiti->Edit5->text().toStdString());
    const long long firstRow = CornerRow(ParseInt(FormLimiti->Edit6->text().toStdString()),
                                         image->Picture().height(), Analytic());
    Canvas& canvas = image->canvas();
    canvas.MoveTo(x, y);
    canvas.LineTo(int(first), int(firstRow));
    image->Repaint();
    Dragging = false;
    const bool extent = ComputeAreaExtent();
    image->setCursor(Qt::CrossCursor);
    main->rb_limiti_4->SetChecked(false);
    // An extent that could not be computed is no area to rectify.
    main->cb_area->SetChecked(extent);
    FormLimiti->show();
    main->StatusBar1->SetPanel(5, " ");
}

void ThirdCornerBranch(Qt::MouseButtons held, int x, int y) {
    TFormPrincipale* main = FormPrincipale;
    if (!CornerClick(held, main->rb_limiti_3)) return;
    MiddleCorner(x, y, FormLimiti->Edit9, FormLimiti->Edit10, main->rb_limiti_4);
}

void SecondCornerBranch(Qt::MouseButtons held, int x, int y) {
    TFormPrincipale* main = FormPrincipale;
    if (!CornerClick(held, main->rb_limiti_2)) return;
    MiddleCorner(x, y, FormLimiti->Edit7, FormLimiti->Edit8, main->rb_limiti_3);
}

void FirstCornerBranch(Qt::MouseButtons held, int x, int y) {
    TFormPrincipale* main = FormPrincipale;
    if (!CornerClick(held, main->rb_limiti_1)) return;
    // Every earlier mark goes: points, lines, a previous area.
    SourceImage()->SetPicture(CleanBitmap);
    Dragging = true;
    MiddleCorner(x, y, FormLimiti->Edit5, FormLimiti->Edit6, main->rb_limiti_2);
}
