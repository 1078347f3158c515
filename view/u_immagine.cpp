#include "view/u_immagine.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "app/u_forms.h"
#include "app/u_principale.h"
#include "app/u_stato.h"
#include "platform/dialogs.h"
#include "tables/u_tabimm.h"
#include "view/u_decodifica.h"
#include "view/u_naviga.h"

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

void TFormImmagine::Image1MouseDown(Qt::MouseButton, Qt::MouseButtons held, int x, int y) {
    FormTabImm->CollimationBranch(held, x, y);
}

void TFormImmagine::Image1MouseMove(Qt::MouseButtons, int x, int y) {
    FormPrincipale->StatusBar1->SetPanel(0, QString(" x: %1").arg(x));
    FormPrincipale->StatusBar1->SetPanel(1, QString(" y: %1").arg(y));
}

void TFormImmagine::Image1MouseUp(Qt::MouseButton, Qt::MouseButtons, int, int) { Panel1->hide(); }

void TFormImmagine::closeEvent(QCloseEvent* e) {
    ResetAfterSourceClose();
    e->accept();
}

bool OpenSourcePicture(const QString& fileName) {
    DecodeResult decoded = DecodePicture(fileName.toStdString());
    if (!decoded.Ok()) {
        ShowErrorBox(FormPrincipale, QString("Impossibile aprire l'immagine %1:\n%2")
                                         .arg(fileName, QString::fromStdString(decoded.reason)));
        return false;
    }
    const int w = decoded.raster.Width(), h = decoded.raster.Height();
    uint32_t* pixels = decoded.raster.Release();
    QImage picture(reinterpret_cast<uchar*>(pixels), w, h, w * 4, QImage::Format_RGB32, std::free, pixels);
    auto* window = new TFormImmagine;
    window->setWindowTitle(fileName);
    window->Image1->SetPicture(std::move(picture));
    CleanBitmap = window->Image1->Picture();
    QMdiSubWindow* sub = FormPrincipale->MdiArea->addSubWindow(window);
    sub->resize(313, 214);
    sub->showMaximized();
    ImageWindow = window;
    FormNaviga->Image1->SetPicture(CleanBitmap);
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
