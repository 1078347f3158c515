// The ratio dialog of the geometric method. A width and a height of known
// length are measured on the photograph (two clicks each, mapped to the
// reference plane); their ratios scale the two axes of the reference plane
// to metres: fx = Edit1 / Edit2 (Edit5), fy = Edit3 / Edit4 (Edit8). The
// pixel size s (Edit6, metres) and the resolution d (Edit7, dpi) are kept in
// step, d = round(2.54 / s), and give the output size
//   W = round(|Xfin - Xin| / s * fx), H = round(|Yin - Yfin| / s * fy)
// with its extent in metres W * s, H * s (halves to even).
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <array>

#include "platform/controls.h"
#include "platform/statusbar.h"

// The dialog's inputs at the moment of a command, each edit read as a real.
struct RatioInputs {
    long double objectWidth = 0;     // Edit1, metres
    long double measuredWidth = 0;   // Edit2, reference-plane units
    long double objectHeight = 0;    // Edit3, metres
    long double measuredHeight = 0;  // Edit4, reference-plane units
    long double fx = 0;              // Edit5, metres per reference unit along x
    long double fy = 0;              // Edit8, along y
    long double pixelSize = 0;       // Edit6, metres per output pixel
    long double resolution = 0;      // Edit7, dots per inch
};

class TFormRapporto : public ToolWindow {
    Q_OBJECT
public:
    explicit TFormRapporto(QWidget* parent = nullptr);
    QGroupBox *GroupBox1, *GroupBox2;  // "  larghezza  ", "  altezza  "
    QLabel *Label1, *Label2, *Label3, *Label4;
    // Object width (m), measured width (reference units), object height,
    // measured height; the two factors (hidden); pixel size and resolution.
    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4, *Edit5, *Edit6, *Edit7, *Edit8;
    QLabel *Label6, *Label7, *Label8, *Label9, *Label10, *Label11;
    // The ends of the width (Edit11 .. Edit14) and of the height (Edit15 ..
    // Edit18) in reference-plane units, hidden.
    QLineEdit *Edit11, *Edit12, *Edit13, *Edit14, *Edit15, *Edit16, *Edit17, *Edit18;
    StatusBar* StatusBar1;
    QProgressBar* ProgressBar1;
    QAction *Misuralarghezza1, *Misuraaltezza1, *Anteprima1, *Vek1, *Chiudi1;

    RatioInputs ReadRatio() const;

    // The measure branches of the source image's press, width first: with
    // the left button and the measure's mode checked, the first click gives
    // the first end and starts the rubber band, the second gives the length
    // in Edit2 (Edit4) and ends the mode. A click on the horizon of the
    // reference plane is refused with a message box; a second end giving a
    // length of 0 is refused with a text in the main status bar, and the
    // earlier values stay while the measure waits for another second end.
    void WidthMeasureBranch(Qt::MouseButton button, int x, int y);
    void HeightMeasureBranch(Qt::MouseButton button, int x, int y);

public slots:
    void Misuralarghezza1Click();
    void Misuraaltezza1Click();
    void Anteprima1Click();
    void Vek1Click();
    void Chiudi1Click();
    void Edit6Change();
    void Edit7Change();

private:
    void BuildControls();
    // Writes the sizes for pixel size s (Label9, Label11, the main window's
    // Edit5 and Edit6) and checks cb_scala. False, with a message box, when
    // the values give no representable size; nothing is written then.
    bool ShowOutputSize(long double s);
    // The first empty field of `fields` gets notice "14"; false then.
    static bool AllFilled(std::initializer_list<QLineEdit*> fields);
    // A factor of 0 (an object length of 0) would collapse an axis: notice
    // "14" and false.
    bool FactorsUsable() const;
    // The object width and height (and the pixel size, `withPixel`), where
    // typed, are numbers above 0; else the one message naming the field.
    bool TypedFieldsUsable(bool withPixel);
    // While the typed field holds no usable value: the other field and the
    // sizes show nothing, the status bar says why, the scale is undefined.
    void ShowNoSize(QLineEdit* other, const QString& field);
    // The second end's reference-plane point, refusing a zero length.
    bool CloseMeasure(int x, int y, QLineEdit* endX, QLineEdit* endY, QLineEdit* firstX,
                      QLineEdit* firstY, QLineEdit* length);
    bool OpenMeasure(int x, int y, QLineEdit* endX, QLineEdit* endY);
    // One click of a measure in `mode`: ends[0..1] the first end, ends[2..3]
    // the second. True when the click closed the measure (mode unchecked,
    // the dialog shown on top).
    bool MeasureClick(Qt::MouseButton button, RadioButton* mode, int x, int y,
                      const std::array<QLineEdit*, 4>& ends, QLineEdit* length);
    // Erases a band left by a measure begun and not finished.
    void EndPendingMeasure();
};
