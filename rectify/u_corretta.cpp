#include "rectify/u_corretta.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>

#include "app/u_forms.h"
#include "app/u_principale.h"
#include "platform/statusbar.h"
#include "rectify/u_ricampiona_ui.h"
#include "view/u_immagine.h"

TFormCorretta::TFormCorretta(QWidget* parent) : QScrollArea(parent) {
    setObjectName("FormCorretta");
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
}

bool RectifyIntoNewWindow(const Projective& model, const AreaLimits& area, long double s,
                          long double fx, long double fy, QProgressBar* bar, StatusBar* status) {
    TFormPrincipale* main = FormPrincipale;
    if (!ImageWindow) return false;
    main->cb_corr->SetChecked(true);
    auto* window = new TFormCorretta;
    window->setWindowTitle(ImageWindow->windowTitle() + "  ric");
    QMdiSubWindow* frame = main->MdiArea->addSubWindow(window);
    frame->resize(281, 216);
    frame->show();
    RectifiedWindow = window;
    status->hide();
    bar->show();
    const Interpolation kind =
        main->Action("Lineare2")->isChecked() ? Interpolation::Nearest : Interpolation::Bilinear;
    const ResampleGeometry g{model, s, fx, fy, area.Xin, area.Yin, area.Xfin, area.Yfin};
    const bool made = ResampleImage(ImageWindow->Image1, window->Image1, bar, g, kind);
    status->show();
    bar->hide();
    if (!made) {
        // Freed without its close handler: nothing was opened to undo.
        delete frame;
        RectifiedWindow = nullptr;
        main->cb_corr->SetChecked(false);
        return false;
    }
    // Shares the pixels until a mark is drawn on the shown picture.
    CleanRectified = window->Image1->Picture();
    for (const char* item : {"Dxf1", "Salva4", "Chiudi2"}) main->Action(item)->setEnabled(true);
    return true;
}
