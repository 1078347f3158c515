#include "app/u_principale.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "analytic/u_tabres.h"
#include "app/u_avviso.h"
#include "app/u_forms.h"
#include "app/u_info.h"
#include "app/u_lavoro.h"
#include "app/u_opzioni.h"
#include "app/u_stato.h"
#include "export/U_tabptidxf.h"
#include "export/u_dxf.h"
#include "export/u_georeferenzia.h"
#include "export/u_salvacorretta_ui.h"
#include "geometric/u_geom.h"
#include "platform/fonts.h"
#include "rectify/u_rapporto.h"
#include "rectify/u_scala.h"
#include "tables/u_chiavi.h"
#include "tables/u_omnia_ui.h"
#include "tables/u_tabfot.h"
#include "tables/u_tabimm.h"
#include "tables/u_tabogg.h"
#include "view/u_finestra.h"
#include "view/u_immagine.h"
#include "view/u_limiti.h"
#include "view/u_naviga.h"

TFormPrincipale::TFormPrincipale(QWidget* parent)
    : QMainWindow(parent),
      OpenPictureDialog1(
          FileDialog::Open,
          "All (*.jpg;*.bmp;*.png;*.tif)|*.jpg;*.bmp;*.png;*.tif;*.tiff|JPEG Image File "
          "(*.jpg)|*.jpg|Bitmaps (*.bmp)|*.bmp|PNG Image File (*.png)|*.png|TIFF Image File "
          "(*.tif)|*.tif;*.tiff"),
      SavePictureDialog1(FileDialog::Save,
                         "Bitmaps (*.bmp)|*.bmp|PNG (*.png)|*.png|TIFF (*.tif)|*.tif|"
                         "GeoTIFF (*.tif)|*.tif",
                         ".bmp", "bmp"),
      ColorDialog1(Qt::red) {
    setObjectName("FormPrincipale");
    setWindowTitle("  Vek");
    setFont(DesignFont());
    MdiArea = new QMdiArea(this);
    MdiArea->setObjectName("MdiArea");
    setCentralWidget(MdiArea);
    resize(721, 536 + 24);
    StatusBar1 = new StatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setFixedHeight(24);
    setStatusBar(StatusBar1);
    const int widths[7] = {75, 75, 80, 80, 80, 100, 50};
    const Qt::Alignment aligns[7] = {Qt::AlignLeft,    Qt::AlignLeft,    Qt::AlignHCenter,
                                     Qt::AlignHCenter, Qt::AlignHCenter, Qt::AlignHCenter,
                                     Qt::AlignLeft};
    for (int i = 0; i < 7; ++i) StatusBar1->AddPanel(widths[i], aligns[i]);
    StatusBar1->SetSimple(true);
    ProgressBar1 = new QProgressBar(StatusBar1);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setFixedWidth(120);
    StatusBar1->addPermanentWidget(ProgressBar1);
    ProgressBar1->hide();
    BuildMenu();
    BuildStatePanel();
    MdiArea->viewport()->setMouseTracking(true);
    MdiArea->viewport()->installEventFilter(this);
}

QAction* TFormPrincipale::AddItem(QMenu* menu, const QString& caption, const QString& name,
                                  void (TFormPrincipale::*slot)()) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    if (slot) connect(a, &QAction::triggered, this, slot);
    return a;
}

QAction* TFormPrincipale::Action(const QString& name) const { return findChild<QAction*>(name); }

void TFormPrincipale::BuildMenu() {
    menuBar()->setNativeMenuBar(false);
    N9 = new QMenu(this);
    N9->setObjectName("N9");
    N9->setIcon(MenuGlyph());
    N9->menuAction()->setObjectName("N9Action");
    menuBar()->addMenu(N9);
    N9->menuAction()->setVisible(false);

    auto sub = [this](QMenu* parent, const QString& caption, const QString& name) {
        QMenu* m = parent->addMenu(caption);
        m->setObjectName(name);
        m->menuAction()->setObjectName(name);
        return m;
    };
    QMenu* img = sub(N9, "Immagine iniziale", "Immagineiniziale1");
    AddItem(img, "Apri", "Apri1", &TFormPrincipale::Apri1Click);
    AddItem(img, "Chiudi", "Chiudi1", &TFormPrincipale::Chiudi1Click);
    N9->addSeparator();
    QMenu* vis = sub(N9, "Visualizza", "Visualizza1");
    AddItem(vis, "Zoom", "Zoom2", &TFormPrincipale::Zoom2Click);
    AddItem(vis, "Pan", "Pan2", &TFormPrincipale::Pan2Click);
    Navigatore2 = AddItem(vis, "Navigatore", "Navigatore2", &TFormPrincipale::Navigatore2Click);
    Navigatore2->setCheckable(true);
    vis->addSeparator();
    // The zoom keys work wherever the focus is, a tool window included.
    auto keyed = [this](QAction* a, const QList<QKeySequence>& keys) {
        a->setShortcuts(keys);
        a->setShortcutContext(Qt::ApplicationShortcut);
        addAction(a);
    };
    keyed(AddItem(vis, "Adatta alla finestra", "Adattaallafinestra1",
                  &TFormPrincipale::Adattaallafinestra1Click),
          {QKeySequence(Qt::CTRL | Qt::Key_0)});
    keyed(AddItem(vis, "Dimensione reale", "Dimensionereale1",
                  &TFormPrincipale::Dimensionereale1Click),
          {QKeySequence(Qt::CTRL | Qt::Key_1)});
    keyed(AddItem(vis, "Ingrandisci", "Ingrandisci1", &TFormPrincipale::Ingrandisci1Click),
          {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    keyed(AddItem(vis, "Riduci", "Riduci1", &TFormPrincipale::Riduci1Click),
          {QKeySequence(Qt::CTRL | Qt::Key_Minus)});
    vis->addSeparator();
    AddItem(vis, "Disponi verticali", "Disponiverticali1",
            &TFormPrincipale::Disponiverticali1Click);
    AddItem(vis, "Opzioni", "Opzioni2", &TFormPrincipale::Opzioni2Click);
    N9->addSeparator();
    QMenu* tab = sub(N9, "Tabelle", "Tabelle2");
    Tabelle2 = tab->menuAction();
    QMenu* ti = sub(tab, "Immagine", "Immagine2");
    AddItem(ti, "Visualizza", "Visualizza6", &TFormPrincipale::Visualizza6Click);
    AddItem(ti, "Salva", "Salva5", &TFormPrincipale::Salva5Click);
    AddItem(ti, "Carica", "Carica4", &TFormPrincipale::Carica4Click);
    QMenu* to = sub(tab, "Oggetto", "Oggetto2");
    AddItem(to, "Visualizza", "Visualizza7", &TFormPrincipale::Visualizza7Click);
    AddItem(to, "Salva", "Salva6", &TFormPrincipale::Salva6Click);
    AddItem(to, "Carica", "Carica5", &TFormPrincipale::Carica5Click);
    QMenu* tu = sub(tab, "Unione", "Unione2");
    AddItem(tu, "Visualizza", "Visualizza8", &TFormPrincipale::Visualizza8Click);
    AddItem(tu, "Salva", "Salva7", &TFormPrincipale::Salva7Click);
    AddItem(tu, "Carica", "Carica6", &TFormPrincipale::Carica6Click);
    AddItem(tab, "Residui", "Residui2", &TFormPrincipale::Residui2Click);
    Individuarette2 =
        AddItem(N9, "Individua rette", "Individuarette2", &TFormPrincipale::Individuarette2Click);
    N9->addSeparator();
    AddItem(N9, "Seleziona area ricampionamento", "Selezionaarearicampionamento1",
            &TFormPrincipale::Selezionaarearicampionamento1Click);
    AddItem(N9, "Visualizza vertici area", "Visualizzaverticiarea2",
            &TFormPrincipale::Visualizzaverticiarea2Click);
    QMenu* interp = sub(N9, "Interpolazione", "Interpolazione1");
    Lineare2 = AddItem(interp, "Lineare", "Lineare2", &TFormPrincipale::Lineare2Click);
    Lineare2->setCheckable(true);
    bilineare2 = AddItem(interp, "Bilineare", "bilineare2", &TFormPrincipale::bilineare2Click);
    bilineare2->setCheckable(true);
    bilineare2->setChecked(true);
    bicubica2 = AddItem(interp, "Bicubica", "bicubica2", &TFormPrincipale::bicubica2Click);
    bicubica2->setCheckable(true);
    AddItem(N9, "Vek", "Vek2", &TFormPrincipale::Vek2Click);
    N9->addSeparator();
    QMenu* corr = sub(N9, "Immagine corretta", "Immaginecorretta1");
    Salva4 = AddItem(corr, "Salva ", "Salva4", &TFormPrincipale::Salva4Click);
    Chiudi2 = AddItem(corr, "Chiudi", "Chiudi2", &TFormPrincipale::Chiudi2Click);
    AddItem(N9, "Georeferenzia", "Georeferenzia2", &TFormPrincipale::Georeferenzia2Click);
    N9->addSeparator();
    QMenu* dxf = sub(N9, "Dxf", "Dxf1");
    Dxf1 = dxf->menuAction();
    AddItem(dxf, "Disegna punti", "Disegnapunti1", &TFormPrincipale::Disegnapunti1Click);
    AddItem(dxf, "Salva punti", "Salvapunti1", &TFormPrincipale::Salvapunti1Click);
    AddItem(dxf, "Crea dxf", "Creadxf1", &TFormPrincipale::Creadxf1Click);
    AddItem(N9, "Calcola distanza", "Calcoladistanza2", &TFormPrincipale::Calcoladistanza2Click);
    N9->addSeparator();
    AddItem(N9, "Reset", "Reset2", &TFormPrincipale::Reset2Click);
    N9->addSeparator();
    AddItem(N9, "Informazioni", "Informazioni2", &TFormPrincipale::Informazioni2Click);
    N9->addSeparator();
    AddItem(N9, "Esci", "Esci2", &TFormPrincipale::Esci2Click);
}

void TFormPrincipale::BuildStatePanel() {
    Panel2 = new QWidget(this);
    Panel2->setObjectName("Panel2");
    Panel2->hide();
    auto* layout = new QVBoxLayout(Panel2);
    auto group = [&](const QString& caption) {
        auto* g = new QGroupBox(caption, Panel2);
        new QVBoxLayout(g);
        layout->addWidget(g);
        return g;
    };
    auto radio = [](QGroupBox* g, const char* name) {
        auto* r = new RadioButton(name, g);
        g->layout()->addWidget(r);
        return r;
    };
    QGroupBox* g1 = group(" controlli 1 ");
    rb_an = radio(g1, "rb_an");
    rb_geom = radio(g1, "rb_geom");
    QGroupBox* g2 = group(" controlli 2 ");
    rb_zoom = radio(g2, "rb_zoom");
    rb_pan = radio(g2, "rb_pan");
    QGroupBox* g3 = group(" controlli 3 ");
    rb_edita = radio(g3, "rb_edita");
    rb_elimina = radio(g3, "rb_elimina");
    QGroupBox* g4 = group(" controlli 4 ");
    rb_collima = radio(g4, "rb_collima");
    rb_limiti_1 = radio(g4, "rb_limiti_1");
    rb_limiti_2 = radio(g4, "rb_limiti_2");
    rb_limiti_3 = radio(g4, "rb_limiti_3");
    rb_limiti_4 = radio(g4, "rb_limiti_4");
    rb_dxf = radio(g4, "rb_dxf");
    rb_distanza_1 = radio(g4, "rb_distanza_1");
    rb_distanza_2 = radio(g4, "rb_distanza_2");
    rb_linee_or = radio(g4, "rb_linee_or");
    rb_linee_vert = radio(g4, "rb_linee_vert");
    rb_scala_x = radio(g4, "rb_scala_x");
    rb_scala_y = radio(g4, "rb_scala_y");
    QGroupBox* g5 = group(" controlli 5 ");
    auto check = [g5](const char* name) {
        auto* c = new CheckBox(name, g5);
        g5->layout()->addWidget(c);
        return c;
    };
    cb_imm = check("cb_imm");
    cb_fot = check("cb_fot");
    cb_area = check("cb_area");
    cb_scala = check("cb_scala");
    cb_corr = check("cb_corr");
    cb_fughe = check("cb_fughe");
    QGroupBox* g6 = group(" controlli 6 ");
    QLineEdit** edits6[4] = {&Edit1, &Edit2, &Edit3, &Edit4};
    for (int i = 0; i < 4; ++i) {
        *edits6[i] = MakeEdit(QString("Edit%1").arg(i + 1), g6, "0.0");
        g6->layout()->addWidget(*edits6[i]);
    }
    QGroupBox* g7 = group("controlli 7");
    Edit5 = MakeEdit("Edit5", g7);
    Edit6 = MakeEdit("Edit6", g7);
    g7->layout()->addWidget(Edit5);
    g7->layout()->addWidget(Edit6);
}

QList<RadioButton*> TFormPrincipale::PointerModes() const {
    return {rb_collima,    rb_limiti_1,   rb_limiti_2, rb_limiti_3,   rb_limiti_4, rb_dxf,
            rb_distanza_1, rb_distanza_2, rb_linee_or, rb_linee_vert, rb_scala_x,  rb_scala_y};
}

void TFormPrincipale::SetMethod(bool analytic) {
    StatusBar1->SetSimple(false);
    if (analytic)
        rb_an->SetChecked(true);
    else
        rb_geom->SetChecked(true);
    Tabelle2->setVisible(analytic);
    Individuarette2->setVisible(!analytic);
}

bool TFormPrincipale::eventFilter(QObject* watched, QEvent* event) {
    if (watched == MdiArea->viewport() && event->type() == QEvent::MouseMove) FormMouseMove();
    return QMainWindow::eventFilter(watched, event);
}

void TFormPrincipale::FormMouseMove() {
    StatusBar1->SetPanel(MainPanel::PointerX, QString());
    StatusBar1->SetPanel(MainPanel::PointerY, QString());
}

// ---- Immagine iniziale -----------------------------------------------------

void TFormPrincipale::Apri1Click() {
    if (cb_imm->Checked()) {
        ShowNotice(NoticeNo::ImageOpen);
        return;
    }
    if (!OpenPictureDialog1.Execute(this)) return;
    if (OpenPictureDialog1.FileName.isEmpty()) return;
    if (OpenSourcePicture(OpenPictureDialog1.FileName)) cb_imm->SetChecked(true);
}

void TFormPrincipale::Chiudi1Click() {
    if (!cb_imm->Checked()) {
        ShowNotice(NoticeNo::NoImage);
        return;
    }
    CloseSourceImage();
}

// ---- Visualizza -------------------------------------------------------------

void TFormPrincipale::Zoom2Click() {
    rb_zoom->SetChecked(true);
    StatusBar1->SetPanel(MainPanel::ViewTool, " zoom attivo");
}

void TFormPrincipale::Pan2Click() {
    rb_pan->SetChecked(true);
    StatusBar1->SetPanel(MainPanel::ViewTool, " pan attivo");
}

void TFormPrincipale::Navigatore2Click() {
    // Triggering a checkable action flips its mark before this runs; put it
    // back, so that what decides is the mark as the user saw it.
    QAction* item = Navigatore2;
    if (sender() == item) item->setChecked(!item->isChecked());
    if (!cb_imm->Checked()) {
        ShowNotice(NoticeNo::NoImage);
        return;
    }
    if (item->isChecked()) {
        item->setChecked(false);
        FormNaviga->hide();
        return;
    }
    FormNaviga->PlaceAtRight();
    item->setChecked(true);
    FormNaviga->show();
}

// The zoom commands act on the active picture window.
void TFormPrincipale::Adattaallafinestra1Click() {
    if (ImageWindowBase* w = ActivePictureWindow()) w->FitToWindow();
}

void TFormPrincipale::Dimensionereale1Click() {
    if (ImageWindowBase* w = ActivePictureWindow()) w->SetZoom(Zoom{});
}

void TFormPrincipale::Ingrandisci1Click() {
    if (ImageWindowBase* w = ActivePictureWindow()) w->ZoomStep(1);
}

void TFormPrincipale::Riduci1Click() {
    if (ImageWindowBase* w = ActivePictureWindow()) w->ZoomStep(-1);
}

// The children are stacked one above the other, each as wide as the frame.
void TFormPrincipale::Disponiverticali1Click() {
    const QList<QMdiSubWindow*> children = MdiArea->subWindowList();
    if (children.isEmpty()) return;
    const int w = MdiArea->viewport()->width();
    const int h = MdiArea->viewport()->height() / children.size();
    int top = 0;
    for (QMdiSubWindow* child : children) {
        child->showNormal();
        child->setGeometry(0, top, w, h);
        top += h;
    }
}

void TFormPrincipale::Opzioni2Click() { FormOpzioni->show(); }

// ---- Tabelle ----------------------------------------------------------------

void TFormPrincipale::Visualizza6Click() {
    FormTabImm->PlaceAtRight();
    FormTabImm->show();
}

void TFormPrincipale::Salva5Click() {
    SaveTable(FormTabImm->SaveDialog1, *FormTabImm->StringGrid1, TableKey::Nxy);
}

void TFormPrincipale::Carica4Click() {
    if (!ConfirmDiscard(this, UnsavedPoints(*FormTabImm->StringGrid1, "immagine"),
                        "Caricando una tabella"))
        return;
    LoadTable(FormTabImm->OpenDialog1, *FormTabImm->StringGrid1, TableKey::Nxy);
    FormTabImm->show();
}

void TFormPrincipale::Visualizza7Click() { FormTabOgg->show(); }

void TFormPrincipale::Salva6Click() {
    SaveTable(FormTabOgg->SaveDialog1, *FormTabOgg->StringGrid1, TableKey::Nxy);
}

void TFormPrincipale::Carica5Click() {
    if (!ConfirmDiscard(this, UnsavedPoints(*FormTabOgg->StringGrid1, "oggetto"),
                        "Caricando una tabella"))
        return;
    LoadTable(FormTabOgg->OpenDialog1, *FormTabOgg->StringGrid1, TableKey::Nxy1);
    FormTabOgg->show();
}

void TFormPrincipale::Visualizza8Click() { FormTabFot->show(); }

void TFormPrincipale::Salva7Click() {
    SaveTable(FormTabFot->SaveDialog1, *FormTabFot->StringGrid1, TableKey::Nxyxy);
}

void TFormPrincipale::Carica6Click() {
    FormTabFot->LoadUnionTable();
    FormTabFot->show();
}

void TFormPrincipale::Residui2Click() { FormTabRes->show(); }

void TFormPrincipale::Individuarette2Click() {
    if (!cb_imm->Checked()) {
        ShowNotice(NoticeNo::NoImage);
        return;
    }
    FormGeom->PlaceAtRight();
    FormGeom->show();
}

// ---- Area and rectification -----------------------------------------------

void TFormPrincipale::Selezionaarearicampionamento1Click() {
    if (!(cb_fot->Checked() && cb_imm->Checked())) {
        ShowNotice(rb_an->Checked() ? "19" : "17");
        return;
    }
    rb_limiti_1->SetChecked(true);
    FormLimiti->hide();
    StatusBar1->SetPanel(MainPanel::Operation, "area");
    FormRapporto->Edit2->clear();
    FormRapporto->Edit4->clear();
    FormRapporto->Edit5->clear();
}

void TFormPrincipale::Visualizzaverticiarea2Click() { FormLimiti->show(); }

namespace {
// The interpolation items exclude each other; choosing one again keeps it.
void CheckOnly(QAction* chosen, std::initializer_list<QAction*> items) {
    for (QAction* item : items) item->setChecked(item == chosen);
}
}  // namespace

void TFormPrincipale::Lineare2Click() { CheckOnly(Lineare2, {Lineare2, bilineare2, bicubica2}); }

void TFormPrincipale::bilineare2Click() {
    CheckOnly(bilineare2, {Lineare2, bilineare2, bicubica2});
}

void TFormPrincipale::bicubica2Click() { CheckOnly(bicubica2, {Lineare2, bilineare2, bicubica2}); }

void TFormPrincipale::Vek2Click() {
    const bool ready = cb_fot->Checked() && cb_imm->Checked() && cb_area->Checked();
    if (rb_an->Checked()) {
        if (!ready) {
            ShowNotice(NoticeNo::SelectArea);
        } else {
            FormScala->show();
            FormScala->raise();
            FormScala->Label1->update();
            FormScala->Label2->update();
        }
    }
    if (rb_geom->Checked()) {
        if (!ready)
            ShowNotice(NoticeNo::SelectArea);
        else {
            FormRapporto->show();
            FormRapporto->raise();
        }
    }
}

// ---- Rectified image and export ---------------------------------------------

void TFormPrincipale::Salva4Click() {
    if (!cb_corr->Checked()) {
        ShowNotice("2");
        return;
    }
    SaveRectifiedPicture(SavePictureDialog1, CleanRectified, RectifiedImage(), this);
}

void TFormPrincipale::Chiudi2Click() {
    if (!cb_corr->Checked()) {
        ShowNotice(NoticeNo::NoRectified);
        return;
    }
    FormAvviso->Chiudicorretta1->setVisible(true);
    ShowNotice(NoticeNo::CloseRectified);
}

void TFormPrincipale::Georeferenzia2Click() {
    if (!cb_corr->Checked()) {
        ShowNotice(NoticeNo::NoRectified);
        return;
    }
    FormGeoreferenzia->ProposeWorldFile();
    FormGeoreferenzia->show();
}

void TFormPrincipale::Disegnapunti1Click() {
    if (!cb_corr->Checked()) {
        ShowNotice(NoticeNo::NoRectified);
        return;
    }
    FormTabPtiDxf->PlaceAtRight(0);
    FormTabPtiDxf->show();
}

void TFormPrincipale::Salvapunti1Click() {
    SaveTable(FormTabPtiDxf->SaveDialog1, *FormTabPtiDxf->StringGrid1, TableKey::Nxy);
}

void TFormPrincipale::Creadxf1Click() { FormDxf->show(); }

void TFormPrincipale::Calcoladistanza2Click() {
    if (!cb_corr->Checked()) {
        ShowNotice(NoticeNo::NoRectified);
        return;
    }
    rb_distanza_1->SetChecked(true);
    StatusBar1->SetPanel(MainPanel::Operation, "distanza");
}

void TFormPrincipale::Reset2Click() { ResetSession(); }

void TFormPrincipale::Informazioni2Click() { FormInfo->show(); }

void TFormPrincipale::Esci2Click() { close(); }

void TFormPrincipale::closeEvent(QCloseEvent* event) {
    if (!ConfirmDiscard(this, UnsavedPhotographWork() + UnsavedDxfPoints(), "Uscendo da Vek")) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}
