// The image table: collimated points with their pixel column and row.
#pragma once

#include "platform/dialogs.h"
#include "tables/u_tabpunti.h"

class TFormTabImm : public PointTableWindow {
    Q_OBJECT
public:
    explicit TFormTabImm(QWidget* parent = nullptr);
    // StatusBar1 panel 0: the operation.
    FileDialog OpenDialog1;
    FileDialog SaveDialog1;

    // The collimation branch of the source image's press: with the left
    // button held and rb_collima checked, the pressed pixel goes into Edit2
    // and Edit3 (plain row, no flip).
    void CollimationBranch(Qt::MouseButtons held, int x, int y);
    // Repaints the grid, puts the unmarked picture back and marks every
    // point of the table on it.
    void RedrawImagePoints() { RedrawPoints(); }

public slots:
    void Iniziacollimazione1Click() override;
    void Resettabella1Click() override;
    void Disegnapunti1Click();
    void Esci1Click();

protected:
    // False (and the text in main panel 6) when no image is loaded.
    bool Ready(const QString& lead) const override;
    RadioButton* CollimationMode() const override;
    void AppendPending(const std::string& name) override;
    void RestorePicture() override;
    void DrawPoints() override;
};
