// Sets up a scene of the analytic road on the twelve-point facade and saves
// a picture of the whole screen, window manager frames included. Run under
// an X server by tools/screenshots.sh; never by the tests.
//   screenshot_scenes image|results OUT.png
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPolygonF>
#include <QScreen>
#include <QTimer>

#include "analytic/u_tabres.h"
#include "analytic/u_tabrpar.h"
#include "app/u_about.h"
#include "app/u_forms.h"
#include "app/u_principale.h"
#include "platform/dialogs.h"
#include "platform/fonts.h"
#include "tables/u_tabfot.h"
#include "tables/u_tabimm.h"
#include "tables/u_tabogg.h"
#include "tests/facade.h"
#include "view/u_immagine.h"

namespace {

QPointF Map(double u, double v) {
    double x, y;
    FacadeToPicture(u, v, x, y);
    return {x, y};
}

QPolygonF Quad(double u0, double v0, double u1, double v1) {
    return QPolygonF({Map(u0, v0), Map(u1, v0), Map(u1, v1), Map(u0, v1)});
}

// The facade: a plastered wall with twelve windows whose lower left corners
// are the control points, seen obliquely.
QImage FacadePicture() {
    QImage img(1600, 1200, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(0, 0, 1600, 700, QColor(170, 200, 230));
    p.fillRect(0, 700, 1600, 500, QColor(120, 115, 105));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(214, 190, 150));
    p.drawPolygon(Quad(0, 0, 12, 9));
    p.setBrush(QColor(150, 80, 60));
    p.drawPolygon(Quad(0, 8.6, 12, 9));
    for (double v : {1.2, 4.2, 7.2})
        for (double u : {1.5, 4.5, 7.5, 10.5}) {
            p.setBrush(QColor(240, 236, 225));
            p.drawPolygon(Quad(u - 0.12, v - 0.12, u + 1.12, v + 1.72));
            p.setBrush(QColor(60, 75, 95));
            p.drawPolygon(Quad(u, v, u + 1.0, v + 1.6));
        }
    return img;
}

void Write(const QString& path, const std::string& text) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(text.data(), qint64(text.size()));
}

void Load(const QString& path, const char* action) {
    DialogSeam::PresetFileName(path);
    FormPrincipale->Action(action)->trigger();
}

void ImageScene() {
    FormTabImm->hide();
    FormPrincipale->Action("Visualizza6")->trigger();
    FormTabImm->Command("Disegnapunti1")->trigger();
}

void ResultsScene() {
    FormTabImm->hide();
    FormPrincipale->Action("Residui2")->trigger();
    FormTabRes->Command("calcolaparametridiretti1")->trigger();
    FormTabRes->Command("vediparametri1")->trigger();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    MapDesignFonts();
    QApplication app(argc, argv);
    DialogSeam::SetAutomatic(true);
    const QString scene = argv[1], out = argv[2];
    const QString dir = QDir::tempPath() + "/vek_screens";
    QDir().mkpath(dir);
    FacadePicture().save(dir + "/facciata.jpg", "JPG", 90);
    Write(dir + "/facciata.imm", FacadeImageText());
    Write(dir + "/facciata.ogg", FacadeObjectText());

    TFormPrincipale* main = CreateApplicationWindows();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        main->move(screen->availableGeometry().center() - main->rect().center());
    main->show();
    FormAbout->show();
    FormAbout->Button1->click();

    Load(dir + "/facciata.jpg", "Apri1");
    if (ImageWindow) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(ImageWindow->parentWidget()))
            sub->showMaximized();
    }
    Load(dir + "/facciata.imm", "Carica4");
    Load(dir + "/facciata.ogg", "Carica5");
    FormTabOgg->hide();
    FormTabFot->Command("Creafilefot1")->trigger();
    FormTabFot->hide();
    if (scene == "image")
        ImageScene();
    else
        ResultsScene();

    QTimer::singleShot(2000, [&] {
        QGuiApplication::primaryScreen()->grabWindow(0).save(out, "PNG");
        app.quit();
    });
    const int rc = app.exec();
    DestroyApplicationWindows();
    return rc;
}
