// The source image window: the photograph at one screen pixel per picture
// pixel in a scrolling child of the main window.
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

protected:
    void closeEvent(QCloseEvent* e) override;
};

// Opens the picture file in a new source image window, keeps CleanBitmap and
// gives the navigator its picture. An unreadable picture gets a message box
// and leaves no window behind. True when the window is open.
bool OpenSourcePicture(const QString& fileName);
// "Chiudi" of the source image: the full reset, then the window is freed.
void CloseSourceImage();
