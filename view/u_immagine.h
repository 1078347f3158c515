// The source image window: the photograph at one screen pixel per picture
// pixel in a scrolling child of the main window, with the lens, panning by
// right-button drag, the rubber band and the dispatch of clicks to the
// pointer mode that is checked.
#pragma once

#include <QFrame>
#include <QScrollArea>

#include "platform/imagecontrol.h"

class TFormImmagine : public QScrollArea {
    Q_OBJECT
public:
    explicit TFormImmagine(QWidget* parent = nullptr);
    ImageControl* Image1;  // the picture, cross-hair cursor
    QFrame* Panel1;        // the lens panel, 103 x 103, hidden
    ImageControl* Image2;  // the lens picture, 99 x 99

public slots:
    void Image1MouseDown(Qt::MouseButton button, Qt::MouseButtons held, int x, int y);
    void Image1MouseMove(Qt::MouseButtons held, int x, int y);
    void Image1MouseUp(Qt::MouseButton button, Qt::MouseButtons held, int x, int y);
    // The full reset of the session; the window is freed after it.
    void FormClose();

protected:
    void closeEvent(QCloseEvent* e) override;
};

// Opens the picture file in a new source image window, keeps CleanBitmap and
// gives the navigator its picture (a thumbnail when larger than 600 on a
// side). A file that cannot be opened gets a message box naming it and the
// reason, and leaves no window behind and the state as it was. True when the
// window is open.
bool OpenSourcePicture(const QString& fileName);
// "Chiudi" of the source image: the window closes, which runs FormClose.
void CloseSourceImage();
