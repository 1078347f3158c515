#include "view/u_limiti.h"

#include "app/u_forms.h"
#include "app/u_principale.h"
#include "geometric/u_geom.h"
#include "platform/fonts.h"
#include "tables/u_omnia_ui.h"
#include "tables/u_stringhe.h"
#include "view/u_immagine.h"
#include "view/u_vista.h"

TFormLimiti::TFormLimiti(QWidget* parent)
    : ToolWindow("FormLimiti", "Area di ricampionamento", parent) {
    resize(169, 176);
    setFont(QFont("MS Sans Serif", 8));
    const QFont bold = LabelFont();
    auto row = [&](QLabel*& label, QLineEdit*& edit, int i, const char* caption) {
        label = new QLabel(caption, Body());
        label->setObjectName(QString("Label%1").arg(i));
        label->setFont(bold);
        label->setGeometry(8, 8 + (i - 1) * 26, 40, 20);
        edit = MakeEdit(QString("Edit%1").arg(i), Body());
        edit->setGeometry(52, 8 + (i - 1) * 26, 105, 20);
    };
    row(Label1, Edit1, 1, "Xin");
    row(Label2, Edit2, 2, "Yin");
    row(Label3, Edit3, 3, "Xfin");
    row(Label4, Edit4, 4, "Yfin");
    QLineEdit** corners[] = {&Edit5, &Edit6, &Edit7, &Edit8, &Edit9, &Edit10, &Edit11, &Edit12};
    for (int i = 0; i < 8; ++i) {
        *corners[i] = MakeEdit(QString("Edit%1").arg(i + 5), Body());
        (*corners[i])->hide();
    }
    StatusBar1 = AddStatusBar({100});
    Chiudi1 = AddCommand("Chiudi", "Chiudi1", this, &QWidget::hide);
}

AreaInputs TFormLimiti::ReadArea() const {
    return {EditReal(Edit1), EditReal(Edit2), EditReal(Edit3), EditReal(Edit4)};
}

AreaCorners TFormLimiti::ReadCorners() const {
    const QLineEdit* xs[4] = {Edit5, Edit7, Edit9, Edit11};
    const QLineEdit* ys[4] = {Edit6, Edit8, Edit10, Edit12};
    AreaCorners c;
    for (int i = 0; i < 4; ++i) {
        c.x[i] = ParseInt(FieldText(xs[i]));
        c.y[i] = ParseInt(FieldText(ys[i]));
    }
    return c;
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
    const AreaCorners corners = FormLimiti->ReadCorners();
    const long long first = corners.x[0];
    const long long firstRow = CornerRow(corners.y[0], image->Picture().height(), Analytic());
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
    main->StatusBar1->SetPanel(MainPanel::Operation, " ");
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
