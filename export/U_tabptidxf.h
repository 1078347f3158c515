// The DXF point table: name, object X and Y of points picked on the
// rectified image, marked on it with a cross and the name, exported by the
// DXF window.
#pragma once

#include "platform/dialogs.h"
#include "tables/u_tabpunti.h"

class TFormTabPtiDxf : public PointTableWindow {
    Q_OBJECT
public:
    explicit TFormTabPtiDxf(QWidget* parent = nullptr);
    FileDialog SaveDialog1;
    ColorDialog ColorDialog1;  // the colour of the marks, chosen in the options

    // Repaints the grid, puts the unmarked rectified picture back and marks
    // every point of the table on it.
    void RedrawObjectPoints() { RedrawPoints(); }

public slots:
    void Iniziacollimazione1Click() override;
    void Resettabella1Click() override;
    void Disegnatabella1Click();
    void Chiudi1Click();

protected:
    // With the rectified image closed there is nothing to draw on; the
    // table's commands then work on the table alone.
    bool Ready(const QString&) const override { return true; }
    RadioButton* CollimationMode() const override;
    bool MethodChosen() const override;
    void AppendPending(const std::string& name) override;
    void RestorePicture() override;
    void DrawPoints() override;
};

// The DXF branch of the rectified picture's press: with the left button held
// and rb_dxf checked, the object X and Y that the main status panels 0 and 1
// show for the pressed pixel go into the table's Edit2 and Edit3, with "."
// as the decimal separator.
void DxfCollimationBranch(Qt::MouseButtons held);
