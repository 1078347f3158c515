// The source image window: the photograph in the shared image window, with
// the pixel readout, the dispatch of clicks to the pointer mode that is
// checked, and the close that ends the session's work on the photograph.
#pragma once

#include "view/u_finestra.h"

class TFormImmagine : public ImageWindowBase {
    Q_OBJECT
public:
    explicit TFormImmagine(QWidget* parent = nullptr);

public slots:
    // The whole close of the source image: the reset of the session, the
    // navigator's picture and CleanBitmap released, cb_imm unchecked, the
    // pointer panels cleared. The window is freed after it.
    void FormClose() override;

protected:
    void ShowPointer(int x, int y) override;
    bool BandFollowsPointer() const override;
    void ClickBranches(Qt::MouseButton button, Qt::MouseButtons held, int x, int y) override;
    // Asks first when points or lines entered by hand would be lost.
    bool MayClose() override;
};

// Opens the picture file in a new source image window, keeps CleanBitmap and
// gives the navigator its picture (a thumbnail when larger than 600 on a
// side). A file that cannot be opened gets a message box naming it and the
// reason, and leaves no window behind and the state as it was. True when the
// window is open.
bool OpenSourcePicture(const QString& fileName);
// "Chiudi" of the source image: the window closes, which runs FormClose.
void CloseSourceImage();
