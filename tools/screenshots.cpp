// Sets up a scene of either road on the sample facade (samples/) and saves a
// picture of the whole screen, window manager frames included. Run under an
// X server by tools/screenshots.sh; never by the tests.
//   screenshot_scenes SCENE OUT.png
// Scenes: image results scale rectified export (analytic), lines ratio
// (geometric), scale-fit ratio-fit (both at "Adatta alla finestra"), message
// question save (a dialog over the tool windows).
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMdiSubWindow>
#include <QScreen>
#include <QScrollArea>
#include <QTest>
#include <QTimer>
#include <functional>
#include <map>

#include "analytic/u_tabres.h"
#include "analytic/u_tabrpar.h"
#include "app/u_about.h"
#include "app/u_forms.h"
#include "app/u_principale.h"
#include "export/U_tabptidxf.h"
#include "export/u_dxf.h"
#include "export/u_georeferenzia.h"
#include "geometric/u_geom.h"
#include "platform/dialogs.h"
#include "platform/fonts.h"
#include "rectify/u_corretta.h"
#include "rectify/u_rapporto.h"
#include "rectify/u_scala.h"
#include "samples/facade.h"
#include "samples/facade_clicks.h"
#include "tables/u_stringhe.h"
#include "tables/u_tabfot.h"
#include "tables/u_tabimm.h"
#include "tables/u_tabogg.h"
#include "view/u_immagine.h"
#include "view/u_limiti.h"

namespace {

// The sample files, copied to a folder of the kind a user keeps a survey in.
QString Sample(const char* name) {
    const QString dir = QDir::tempPath() + "/rilievo";
    QDir().mkpath(dir);
    const QString copy = dir + "/" + name;
    if (!QFile::exists(copy)) QFile::copy(QString(VEK_SAMPLES_DIR) + "/" + name, copy);
    return copy;
}

void Trigger(const char* action) { FormPrincipale->Action(action)->trigger(); }

void Load(const QString& path, const char* action) {
    DialogSeam::PresetFileName(path);
    Trigger(action);
}

void Maximize(QWidget* window) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(window ? window->parentWidget() : nullptr))
        sub->showMaximized();
}

// Scrolls the picture of an image window so that pixel p is in the middle.
void CentreOn(QWidget* window, QPoint p) {
    if (auto* area = qobject_cast<QScrollArea*>(window)) {
        const QSize half = area->viewport()->size() / 2;
        area->ensureVisible(p.x(), p.y(), half.width(), half.height());
    }
}

// Moves a tool window beside another one, as a user drags it out of the way:
// to its right where the screen has room, else to its left.
void Beside(QWidget* w, const QWidget* other) {
    const QRect o = other->frameGeometry();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const int width = w->frameGeometry().width();
    const int x = o.right() + 8 + width <= screen.right() ? o.right() + 8 : o.left() - 8 - width;
    w->move(std::max(x, 0), o.top());
}

void Type(QLineEdit* edit, const char* text) {
    QApplication::setActiveWindow(edit->window());
    edit->setFocus();
    edit->clear();
    QTest::keyClicks(edit, text);
}

void OpenPhotograph() {
    Load(Sample("facciata.jpg"), "Apri1");
    Maximize(ImageWindow);
}

// ---------------------------------------------------------------- analytic
void Analytic() {
    FormAbout->Button1->click();
    OpenPhotograph();
    Load(Sample("facciata.imm"), "Carica4");
    Load(Sample("facciata.ogg"), "Carica5");
    FormTabOgg->hide();
    FormTabFot->Command("Creafilefot1")->trigger();
    FormTabFot->hide();
}

void ImageScene() {
    Analytic();
    FormTabImm->hide();
    Trigger("Visualizza6");
    FormTabImm->Command("Disegnapunti1")->trigger();
    CentreOn(ImageWindow, Seen(7, 5));
}

void ResultsScene() {
    Analytic();
    FormTabImm->hide();
    Trigger("Residui2");
    FormTabRes->Command("calcolaparametriinversi1")->trigger();
    FormTabRes->Command("vediparametri1")->trigger();
    CentreOn(ImageWindow, Seen(7, 5));
}

// The area 1..19 m x 1..11 m by four presses, and 0.01 m a pixel.
void ScaleScene() {
    Analytic();
    FormTabImm->hide();
    Trigger("Residui2");
    FormTabRes->Command("calcolaparametriinversi1")->trigger();
    FormTabRes->hide();
    FormTabPar->hide();
    Trigger("Selezionaarearicampionamento1");
    for (const auto& [X, Y] : {std::pair{1, 1}, {19, 1}, {19, 11}, {1, 11}})
        Click(ImageWindow->Image1, Seen(X, Y));
    Trigger("Vek2");
    Type(FormScala->Edit1, "0.01");
    Trigger("Visualizzaverticiarea2");
    Beside(FormLimiti, FormScala);
    CentreOn(ImageWindow, Seen(1, 6));
}

// Where the object point shows on the rectified picture.
QPoint OnRectified(long double X, long double Y) {
    const auto* window = static_cast<const TFormCorretta*>(RectifiedWindow);
    const int height = std::as_const(*window->Image1).Picture().height();
    const auto p = CurrentRectifiedFrame(height)->ToPixel(X, Y);
    return p ? QPoint(p->column, p->row) : QPoint();
}

void Rectify() {
    ScaleScene();
    FormScala->Command("Vek1")->trigger();
    FormScala->hide();
    FormLimiti->hide();
    Maximize(RectifiedWindow);
}

// A distance from target 11 to target 5, and three targets picked for the DXF.
void RectifiedScene() {
    Rectify();
    auto* window = static_cast<TFormCorretta*>(RectifiedWindow);
    Trigger("Calcoladistanza2");
    Click(window->Image1, OnRectified(6.0, 4.4));
    Click(window->Image1, OnRectified(12.0, 2.4));
    Trigger("Disegnapunti1");
    FormTabPtiDxf->Command("Iniziacollimazione1")->trigger();
    for (const auto& [name, X, Y] :
         {std::tuple{"8", 6.0, 4.4}, {"3", 8.0, 1.6}, {"4", 12.0, 2.4}}) {
        Click(window->Image1, OnRectified(X, Y));
        FormTabPtiDxf->Edit1->setText(name);
        FormTabPtiDxf->Command("Registrapunto1")->trigger();
    }
    CentreOn(window, OnRectified(9, 3.4));
}

void ExportScene() {
    Rectify();
    Trigger("Georeferenzia2");
    Trigger("Creadxf1");
    Beside(FormGeoreferenzia, FormDxf);
    CentreOn(RectifiedWindow, OnRectified(9, 5));
}

// --------------------------------------------------------------- geometric
// The six facade edges of facciata_rette.txt as two presses each.
void Lines() {
    FormAbout->Button2->click();
    OpenPhotograph();
    Trigger("Individuarette2");
    QFile file(Sample("facciata_rette.txt"));
    if (!file.open(QIODevice::ReadOnly)) return;
    const QList<QByteArray> rows = file.readAll().split('\n');
    for (const char* family : {"o", "v"}) {
        FormGeom->Command(*family == 'o' ? "Retteorizzontali1" : "Rettevertivali1")->trigger();
        for (const QByteArray& row : rows) {
            const QList<QByteArray> f = row.simplified().split(' ');
            if (f.size() != 5 || !f[0].startsWith(family)) continue;
            Click(ImageWindow->Image1, {f[1].toInt(), f[2].toInt()});
            Click(ImageWindow->Image1, {f[3].toInt(), f[4].toInt()});
        }
    }
    FormGeom->Command("Calcolopuntidifuga1")->trigger();
    FormGeom->Command("Calcoloparametri1")->trigger();
}

void LinesScene() {
    Lines();
    Beside(FormTabPar, FormGeom);
    CentreOn(ImageWindow, Seen(10, 6));
}

// The facade's base measured as 20 m and its left side as 12 m, 0.02 m a pixel.
void RatioScene() {
    Lines();
    FormGeom->hide();
    FormTabPar->hide();
    Trigger("Selezionaarearicampionamento1");
    for (const auto& [X, Y] : {std::pair{1, 1}, {19, 1}, {19, 11}, {1, 11}})
        Click(ImageWindow->Image1, Seen(X, Y));
    FormLimiti->hide();
    Trigger("Vek2");
    FormRapporto->Edit1->setText("20");
    FormRapporto->Edit3->setText("12");
    FormRapporto->Command("Misuralarghezza1")->trigger();
    Click(ImageWindow->Image1, Seen(0, 0));
    Click(ImageWindow->Image1, Seen(20, 0));
    FormRapporto->Command("Misuraaltezza1")->trigger();
    Click(ImageWindow->Image1, Seen(0, 0));
    Click(ImageWindow->Image1, Seen(0, 12));
    Type(FormRapporto->Edit6, "0.02");
    CentreOn(ImageWindow, Seen(10, 6));
}

// ------------------------------------------------------ the whole photograph
// Both roads at "Adatta alla finestra": the area and the lengths drawn on the
// whole photograph, no scroll bar needed.
void ScaleFitScene() {
    ScaleScene();
    Trigger("Adattaallafinestra1");
}

void RatioFitScene() {
    RatioScene();
    Trigger("Adattaallafinestra1");
}

// ------------------------------------------------- messages over tool windows
// The scale dialog with the image and object tables, the preview and the area
// window open: what every message, question and file dialog must open above.
void ToolWindowsOpen() {
    ScaleScene();
    Trigger("Visualizza6");
    Trigger("Visualizza7");
    FormScala->Command("Anteprima1")->trigger();
    DialogSeam::SetAutomatic(false);
}

// A pixel of 0.0001 m: the rectification is refused for want of memory.
void MessageScene() {
    ToolWindowsOpen();
    Type(FormScala->Edit1, "0.0001");
    FormScala->Command("Vek1")->trigger();
}

// Closing the photograph with a point collimated by hand and not saved.
void QuestionScene() {
    ToolWindowsOpen();
    FormTabImm->Command("Iniziacollimazione1")->trigger();
    Click(ImageWindow->Image1, Seen(10, 6));
    FormTabImm->Command("Registrapunto1")->trigger();
    Trigger("Chiudi1");
}

void SaveScene() {
    ToolWindowsOpen();
    Trigger("Salva5");
}

}  // namespace

int main(int argc, char** argv) {
    const std::map<QString, std::function<void()>> scenes = {
        {"image", ImageScene},         {"results", ResultsScene},    {"scale", ScaleScene},
        {"rectified", RectifiedScene}, {"export", ExportScene},      {"lines", LinesScene},
        {"ratio", RatioScene},         {"scale-fit", ScaleFitScene}, {"ratio-fit", RatioFitScene},
        {"message", MessageScene},     {"question", QuestionScene},  {"save", SaveScene}};
    if (argc != 3 || !scenes.count(argv[1])) return 2;
    MapDesignFonts();
    QApplication app(argc, argv);
    InstallToolkitTranslation();
    DialogSeam::SetAutomatic(true);
    const QString out = argv[2];

    // Maximized, as one works on a photograph.
    TFormPrincipale* main = CreateApplicationWindows();
    main->showMaximized();
    FormAbout->show();
    // The scene once the window manager has mapped and maximized the main
    // window, so that the tool windows are placed against its final frame.
    QTimer::singleShot(1000, [&] {
        scenes.at(argv[1])();
        if (!DialogSeam::Messages().isEmpty())
            qWarning("%s", qPrintable(DialogSeam::Messages().join("\n")));
    });
    QTimer::singleShot(3000, [&] {
        QGuiApplication::primaryScreen()->grabWindow(0).save(out, "PNG");
        // A scene may end in a modal dialog: it goes before the program.
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        DialogSeam::SetAutomatic(true);
        app.quit();
    });
    const int rc = app.exec();
    DestroyApplicationWindows();
    return rc;
}
