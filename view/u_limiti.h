// The resampling area: the window that shows Xin, Yin, Xfin, Yfin with the
// four clicked corners (hidden), and the corner branches of the source
// image's press.
//
// A corner is stored as its pixel column and an ordinate: in the analytic
// method AnalyticY = picture height - row (upwards), in the geometric method
// the plain row (downwards from the top-left pixel).
#pragma once

#include <QLabel>
#include <QLineEdit>

#include "geometric/u_geometrico.h"
#include "platform/controls.h"
#include "platform/statusbar.h"

// The rectangle of the area in object coordinates, as the edits hold it at
// the moment of a command: (Xin, Yin) upper-left, (Xfin, Yfin) lower-right.
struct AreaInputs {
    long double Xin = 0, Yin = 0, Xfin = 0, Yfin = 0;
};

class TFormLimiti : public ToolWindow {
    Q_OBJECT
public:
    explicit TFormLimiti(QWidget* parent = nullptr);
    QLabel *Label1, *Label2, *Label3, *Label4;  // "Xin", "Yin", "Xfin", "Yfin"
    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4;   // Xin, Yin, Xfin, Yfin
    // Hidden: the corners 1 to 4 as pixel column and ordinate.
    QLineEdit *Edit5, *Edit6, *Edit7, *Edit8, *Edit9, *Edit10, *Edit11, *Edit12;
    StatusBar* StatusBar1;
    QAction* Chiudi1;

    // Edit1..Edit4 read as reals.
    AreaInputs ReadArea() const;
    // The four corners as stored in Edit5..Edit12 (column, ordinate).
    AreaCorners ReadCorners() const;
};

// The ordinate a corner at `row` of a picture `height` rows high is stored
// with, and back.
long long CornerOrdinate(long long row, long long height, bool analytic);
long long CornerRow(long long ordinate, long long height, bool analytic);

// The corner branches of the source image's press, called in the order 4, 3,
// 2, 1 so that one click advances one corner. Each acts only with the left
// button held and its rb_limiti_N checked. The first erases every mark and
// starts the rubber band; the fourth closes the quadrilateral, computes the
// extent and shows the area window.
void FourthCornerBranch(Qt::MouseButtons held, int x, int y);
void ThirdCornerBranch(Qt::MouseButtons held, int x, int y);
void SecondCornerBranch(Qt::MouseButtons held, int x, int y);
void FirstCornerBranch(Qt::MouseButtons held, int x, int y);
