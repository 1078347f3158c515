// An image control: shows its picture at one screen pixel per picture
// pixel from its top-left corner, sizes itself to the picture when
// AutoSize is on, and reports presses and moves in picture pixels.
#pragma once

#include <QImage>
#include <QWidget>

#include "platform/canvas.h"
#include "platform/raster.h"

class ImageControl : public QWidget {
    Q_OBJECT
public:
    explicit ImageControl(const QString& name, QWidget* parent = nullptr);
    QImage& Picture() { return picture_; }
    const QImage& Picture() const { return picture_; }
    void SetPicture(const QImage& img);
    void SetPicture(QImage&& img);
    Canvas& canvas() { return canvas_; }
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool on);
    void Repaint() { update(); }

signals:
    void MouseDown(Qt::MouseButton button, Qt::MouseButtons held, int x, int y);
    void MouseMove(Qt::MouseButtons held, int x, int y);
    void MouseUp(Qt::MouseButton button, Qt::MouseButtons held, int x, int y);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void PictureChanged();
    QImage picture_;
    Canvas canvas_;
    bool autoSize_ = false;
};

// The raster as a 32-bit picture without a copy: the picture frees the
// buffer. A null picture (and the buffer freed) when the toolkit refuses it.
QImage AdoptRaster(Raster&& raster);
