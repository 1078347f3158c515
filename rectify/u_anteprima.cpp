#include "rectify/u_anteprima.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <cmath>

#include "app/u_avviso.h"
#include "app/u_forms.h"
#include "app/u_principale.h"
#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/statusbar.h"
#include "rectify/u_ricampiona_ui.h"
#include "tables/u_omnia_ui.h"
#include "view/u_immagine.h"

TFormAnteprima::TFormAnteprima(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint) {
    setObjectName("FormAnteprima");
    setWindowTitle("Anteprima");
    resize(196, 180);
    Image1 = new ImageControl("Image1", this);
    Image1->setGeometry(0, 0, 105, 105);
}

void TFormAnteprima::SetAutoSize(bool on) {
    Image1->SetAutoSize(on);
    if (on) resize(Image1->size());
}

namespace {
// A preview that opens lands beside the dialog that asked for it, so the
// dialog's fields stay in view; one already open stays where it is.
void ShowPreviewWindow(const QWidget* dialog) {
    if (!FormAnteprima->isVisible()) PlaceWindowBeside(FormAnteprima, dialog);
    FormAnteprima->show();
    FormAnteprima->raise();
}
}  // namespace

void RefuseOutputSize(QWidget* dialog) {
    ShowErrorBox(dialog,
                 "Il valore dà una dimensione dell'immagine corretta che non si può "
                 "rappresentare: l'operazione è annullata.");
}

void ShowNoOutputSize(QLineEdit* other, QLabel* pixels, QLabel* metres, StatusBar* status,
                      const QString& field) {
    other->clear();
    pixels->hide();
    metres->hide();
    FormPrincipale->cb_scala->SetChecked(false);
    status->SetPanel(0, PositiveFieldText(field));
}

long double PreviewPixelSize(const AreaInputs& area, long double fx, long double fy) {
    const long double sx = std::fabs((area.Xfin - area.Xin) * fx / 300);
    const long double sy = std::fabs((area.Yfin - area.Yin) * fy / 300);
    return sy >= sx ? sy : sx;
}

void PreviewRectification(const Projective& model, const AreaInputs& area, long double fx,
                          long double fy, int minSide, QProgressBar* bar, StatusBar* status) {
    if (!ImageWindow) return;
    const long double s = PreviewPixelSize(area, fx, fy);
    // An area of no extent has no preview (and no pixel size to divide by).
    if (!(s > 0) || !std::isfinite(s)) {
        ShowNotice(NoticeNo::PreviewTooSmall);
        return;
    }
    status->hide();
    bar->show();
    const ResampleGeometry g{model, s, fx, fy, area.Xin, area.Yin, area.Xfin, area.Yfin};
    const bool made =
        ResampleImage(ImageWindow->Image1, FormAnteprima->Image1, bar, g, Interpolation::Nearest);
    FormAnteprima->Image1->Repaint();
    FormAnteprima->SetAutoSize(true);
    if (made) {
        const QSize size = FormAnteprima->Image1->size();
        if (size.width() <= minSide || size.height() <= minSide)
            ShowNotice(NoticeNo::PreviewTooSmall);
        else
            ShowPreviewWindow(status->window());
    }
    bar->hide();
    status->show();
}
