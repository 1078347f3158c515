#include "view/u_immagine.h"

#include <QAction>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QScrollBar>
#include <utility>

#include "app/u_forms.h"
#include "app/u_lavoro.h"
#include "app/u_opzioni.h"
#include "app/u_principale.h"
#include "app/u_stato.h"
#include "geometric/u_geom.h"
#include "platform/dialogs.h"
#include "platform/fileio.h"
#include "platform/rasterimage.h"
#include "rectify/u_rapporto.h"
#include "tables/u_tabimm.h"
#include "view/u_decodifica.h"
#include "view/u_limiti.h"
#include "view/u_naviga.h"
#include "view/u_vista.h"

TFormImmagine::TFormImmagine(QWidget* parent) : ImageWindowBase("FormImmagine", parent) {}

void TFormImmagine::ShowPointer(int x, int y) {
    FormPrincipale->StatusBar1->SetPanel(MainPanel::PointerX, QString(" x: %1").arg(x));
    FormPrincipale->StatusBar1->SetPanel(MainPanel::PointerY, QString(" y: %1").arg(y));
}

bool TFormImmagine::BandFollowsPointer() const {
    const TFormPrincipale* main = FormPrincipale;
    return main->rb_limiti_2->Checked() || main->rb_limiti_3->Checked() ||
           main->rb_limiti_4->Checked() || main->rb_linee_vert->Checked() ||
           main->rb_linee_or->Checked() || main->rb_scala_x->Checked() ||
           main->rb_scala_y->Checked();
}

// The branches run in this fixed order, each on the state left by the ones
// before it, so a branch that checks the next mode's button does not fire
// again in the same click. One call per branch; a branch tests its own mode.
void TFormImmagine::ClickBranches(Qt::MouseButton button, Qt::MouseButtons held, int x, int y) {
    // Collimation of an image point (the image table).
    FormTabImm->CollimationBranch(held, x, y);
    // Area corners 4, 3, 2, 1, in this descending order (the area window).
    FourthCornerBranch(held, x, y);
    ThirdCornerBranch(held, x, y);
    SecondCornerBranch(held, x, y);
    FirstCornerBranch(held, x, y);
    // Ends of a vertical line, then of a horizontal line (the parallel lines).
    FormGeom->VerticalLineBranch(button, x, y);
    FormGeom->HorizontalLineBranch(button, x, y);
    // Ends of the measured width, then of the measured height (the ratio dialog).
    FormRapporto->WidthMeasureBranch(button, x, y);
    FormRapporto->HeightMeasureBranch(button, x, y);
}

bool TFormImmagine::MayClose() {
    return ConfirmDiscard(FormPrincipale, UnsavedPhotographWork(), "Chiudendo la fotografia");
}

void TFormImmagine::FormClose() {
    ResetSession();
    FormNaviga->SetAutoSize(false);
    FormPrincipale->Navigatore2->setChecked(false);
    CleanBitmap = QImage();
    ImageWindow = nullptr;
    FormPrincipale->cb_imm->SetChecked(false);
    FormPrincipale->StatusBar1->SetPanel(MainPanel::PointerX, QString());
    FormPrincipale->StatusBar1->SetPanel(MainPanel::PointerY, QString());
    // A band left half-drawn must not follow the pointer over the next picture.
    Dragging = false;
    // The navigator's picture may share the source picture's memory.
    FormNaviga->Image1->SetPicture(QImage());
    FormNaviga->Image1->SetFrame(QRect());
}

namespace {
// The main status bar's progress bar while a picture is decoded; the window
// keeps painting in between, but takes no input.
class OpeningProgress {
public:
    OpeningProgress() : bar_(FormPrincipale->ProgressBar1) {
        bar_->setValue(0);
        bar_->show();
    }
    ~OpeningProgress() { bar_->hide(); }
    DecodeProgress Callback() {
        return [bar = bar_](int percent) {
            bar->setValue(percent);
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        };
    }

private:
    QProgressBar* bar_;
};

void ReportFailure(const QString& fileName, const QString& reason) {
    ShowErrorBox(FormPrincipale,
                 QString("Impossibile aprire l'immagine %1:\n%2").arg(fileName, reason));
}

}  // namespace

bool OpenSourcePicture(const QString& fileName) {
    DecodeResult decoded;
    {
        OpeningProgress progress;
        decoded = DecodePicture(PathFromDialogName(fileName), progress.Callback());
    }
    if (!decoded.Ok()) {
        ReportFailure(fileName, QString::fromStdString(decoded.reason));
        return false;
    }
    // The navigator's picture: the whole picture when it is at most 600 on a
    // side, else the thumbnail (nearest sampling, taken before the raster is
    // handed over).
    QImage thumbnail;
    const bool reduced = NeedsThumbnail(decoded.raster.Width(), decoded.raster.Height());
    if (reduced) {
        thumbnail = AdoptRaster(MakeThumbnailRaster(decoded.raster));
        if (thumbnail.isNull()) {
            ReportFailure(fileName, "memoria insufficiente");
            return false;
        }
    }
    QImage picture = AdoptRaster(std::move(decoded.raster));
    if (picture.isNull()) {
        ReportFailure(fileName, "memoria insufficiente");
        return false;
    }

    auto* window = new TFormImmagine;
    window->setWindowTitle(fileName);
    window->Image1->SetPicture(std::move(picture));
    // Shares the picture's pixels until a mark is drawn on the picture.
    CleanBitmap = window->Image1->Picture();
    window->Image1->PrepareReducedCopies();
    QMdiSubWindow* sub = FormPrincipale->MdiArea->addSubWindow(window);
    sub->resize(313, 214);
    sub->showMaximized();
    ImageWindow = window;

    // Small pictures are shown whole at full size, so the navigator's ratio
    // (source size div navigator picture size) is 1 and a click maps to the
    // very pixel it shows; large ones show the thumbnail, ratio = step.
    ImageControl* nav = FormNaviga->Image1;
    nav->SetPicture(reduced ? thumbnail : CleanBitmap);
    nav->resize(nav->Picture().size());
    FormNaviga->SetAutoSize(true);
    for (QScrollBar* bar : {window->horizontalScrollBar(), window->verticalScrollBar()}) {
        QObject::connect(bar, &QScrollBar::valueChanged, FormNaviga, &TFormNaviga::ShowView);
        QObject::connect(bar, &QScrollBar::rangeChanged, FormNaviga, &TFormNaviga::ShowView);
    }
    FormNaviga->ShowView();

    if (decoded.damaged)
        ShowWarningBox(FormPrincipale, QString("L'immagine %1 è danneggiata: %2")
                                           .arg(fileName, QString::fromStdString(decoded.warning)));
    return true;
}

void CloseSourceImage() {
    if (!ImageWindow) return;
    QWidget* frame = ImageWindow->parentWidget();
    (frame ? frame : ImageWindow)->close();
}
