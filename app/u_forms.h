// The windows of the run and the globals that no control holds. Every tool
// window is created once at start-up and lives until exit; the source and
// rectified image windows come and go.
#pragma once

#include <QImage>
#include <QPoint>

class TFormPrincipale;
class TFormAbout;
class TFormAvviso;
class TFormTabPtiDxf;
class TFormTabImm;
class TFormTabOgg;
class TFormTabFot;
class TFormNaviga;
class TFormTabRes;
class TFormTabPar;
class TFormLimiti;
class TFormScala;
class TFormAnteprima;
class TFormGeoreferenzia;
class TFormOpzioni;
class TFormDxf;
class TFormGeom;
class TFormRapporto;
class TFormInfo;
class TFormImmagine;
class QWidget;
struct StatePanel;

extern TFormPrincipale* FormPrincipale;
extern TFormAbout* FormAbout;
extern TFormAvviso* FormAvviso;
extern TFormTabPtiDxf* FormTabPtiDxf;
extern TFormTabImm* FormTabImm;
extern TFormTabOgg* FormTabOgg;
extern TFormTabFot* FormTabFot;
extern TFormNaviga* FormNaviga;
extern TFormTabRes* FormTabRes;
extern TFormTabPar* FormTabPar;
extern TFormLimiti* FormLimiti;
extern TFormScala* FormScala;
extern TFormAnteprima* FormAnteprima;
extern TFormGeoreferenzia* FormGeoreferenzia;
extern TFormOpzioni* FormOpzioni;
extern TFormDxf* FormDxf;
extern TFormGeom* FormGeom;
extern TFormRapporto* FormRapporto;
extern TFormInfo* FormInfo;

// The open source image window and its unmarked picture.
extern TFormImmagine* ImageWindow;
extern QImage CleanBitmap;
// The open rectified image window and its unmarked picture.
extern QWidget* RectifiedWindow;
extern QImage CleanRectified;

// Rubber band and pointer state shared by both image windows.
extern QPoint StartPoint, EndPoint;
extern bool Dragging;
extern int LastMouseX, LastMouseY;
// Phase counters of line and measure entry.
extern int LineRow, LinePhase;
extern int MeasurePhase;

// The main window's state controls (the main window itself).
StatePanel& MainState();

// Creates the main window and every tool window in start-up order and titles
// the grids; the caller shows the main window and the start window. Returns
// the main window.
TFormPrincipale* CreateApplicationWindows();
// Frees every window (end of run, and between tests).
void DestroyApplicationWindows();
