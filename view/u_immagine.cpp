#include "view/u_immagine.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <utility>

#include "app/u_forms.h"
#include "app/u_opzioni.h"
#include "app/u_principale.h"
#include "app/u_stato.h"
#include "geometric/u_geom.h"
#include "platform/dialogs.h"
#include "rectify/u_rapporto.h"
#include "tables/u_tabimm.h"
#include "view/u_decodifica.h"
#include "view/u_limiti.h"
#include "view/u_naviga.h"
#include "view/u_vista.h"

TFormImmagine::TFormImmagine(QWidget* parent) : QScrollArea(parent) {
    setObjectName("FormImmagine");
    setAttribute(Qt::WA_DeleteOnClose);
    Image1 = new ImageControl("Image1");
    Image1->setCursor(Qt::CrossCursor);
    Image1->SetAutoSize(true);
    setWidget(Image1);
    setWidgetResizable(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Panel1 = new QFrame(viewport());
    Panel1->setObjectName("Panel1");
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setGeometry(0, 0, 103, 103);
    Panel1->setEnabled(false);
    Panel1->hide();
    Image2 = new ImageControl("Image2", Panel1);
    Image2->setGeometry(2, 2, 99, 99);
    connect(Image1, &ImageControl::MouseDown, this, &TFormImmagine::Image1MouseDown);
    connect(Image1, &ImageControl::MouseMove, this, &TFormImmagine::Image1MouseMove);
    connect(Image1, &ImageControl::MouseUp, this, &TFormImmagine::Image1MouseUp);
}

// The branches are tried in this fixed order, each on the state left by the
// ones before it, so a branch that checks the next mode's button does not
// fire again in the same click.
void TFormImmagine::Image1MouseDown(Qt::MouseButton button, Qt::MouseButtons held, int x, int y) {
    TFormPrincipale* main = FormPrincipale;
    // 1. The lens, right button in zoom mode.
    if ((held & Qt::RightButton) && main->rb_zoom->Checked())
        ShowLens(this, Image1, Image2, FormOpzioni->SpinEdit1->value(), x, y, Panel1);
    // 2. Collimation of an image point (the image table).
    FormTabImm->CollimationBranch(held, x, y);
    // 3. Corners 4, 3, 2, 1 of the resampling area, in this descending order.
    FourthCornerBranch(held, x, y);
    ThirdCornerBranch(held, x, y);
    SecondCornerBranch(held, x, y);
    FirstCornerBranch(held, x, y);
    // 4. Ends of a vertical line, then of a horizontal line.
    FormGeom->VerticalLineBranch(button, x, y);
    FormGeom->HorizontalLineBranch(button, x, y);
    // 5. Ends of the measured width, then of the measured height.
    FormRapporto->WidthMeasureBranch(button, x, y);
    FormRapporto->HeightMeasureBranch(button, x, y);
}

void TFormImmagine::Image1MouseMove(Qt::MouseButtons held, int x, int y) {
    TFormPrincipale* main = FormPrincipale;
    Image1->setCursor(Qt::CrossCursor);
    main->StatusBar1->SetPanel(0, QString(" x: %1").arg(x));
    main->StatusBar1->SetPanel(1, QString(" y: %1").arg(y));
    const bool right = held & Qt::RightButton;
    if (right && main->rb_zoom->Checked())
        ShowLens(this, Image1, Image2, FormOpzioni->SpinEdit1->value(), x, y, Panel1);
    // Half the pointer's travel: the picture moves under the pointer too.
    const int dx = (x - LastMouseX) / 2, dy = (y - LastMouseY) / 2;
    if (right && main->rb_pan->Checked()) {
        Image1->setCursor(Qt::PointingHandCursor);
        const QPoint c = GetViewCentre(this);
        CentreViewOn(this, c.x() - dx, c.y() - dy);
    }
    LastMouseX = x;
    LastMouseY = y;
    const bool bandMode = main->rb_limiti_2->Checked() || main->rb_limiti_3->Checked() ||
                          main->rb_limiti_4->Checked() || main->rb_linee_vert->Checked() ||
                          main->rb_linee_or->Checked() || main->rb_scala_x->Checked() ||
                          main->rb_scala_y->Checked();
    if (Dragging && bandMode) {
        DrawRubberBand(Image1, StartPoint, EndPoint, PenMode::NotXor);  // erases the last band
        EndPoint = QPoint(x, y);
        DrawRubberBand(Image1, StartPoint, EndPoint, PenMode::NotXor);
    }
}

void TFormImmagine::Image1MouseUp(Qt::MouseButton, Qt::MouseButtons, int, int) {
    Panel1->hide();
    Image1->setCursor(Qt::CrossCursor);
}

void TFormImmagine::FormClose() {
    ResetAfterSourceClose();
    // A band left half-drawn must not follow the pointer over the next picture.
    Dragging = false;
    // The navigator's picture may share the source picture's memory.
    FormNaviga->Image1->SetPicture(QImage());
}

void TFormImmagine::closeEvent(QCloseEvent* e) {
    FormClose();
    e->accept();
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
        decoded = DecodePicture(QFile::encodeName(fileName).toStdString(), progress.Callback());
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
