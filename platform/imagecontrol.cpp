#include "platform/imagecontrol.h"

#include <QMouseEvent>
#include <QPainter>

ImageControl::ImageControl(const QString& name, QWidget* parent)
    : QWidget(parent), canvas_(&picture_) {
    setObjectName(name);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void ImageControl::SetPicture(const QImage& img) {
    picture_ = img;
    PictureChanged();
}

void ImageControl::SetPicture(QImage&& img) {
    picture_ = std::move(img);
    PictureChanged();
}

void ImageControl::PictureChanged() {
    if (!picture_.isNull() && picture_.format() != QImage::Format_RGB32)
        picture_ = picture_.convertToFormat(QImage::Format_RGB32);
    if (autoSize_ && !picture_.isNull()) resize(picture_.size());
    update();
}

void ImageControl::SetAutoSize(bool on) {
    autoSize_ = on;
    if (on && !picture_.isNull()) resize(picture_.size());
}

void ImageControl::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    const QRect r = e->rect();
    p.drawImage(r.topLeft(), picture_, r.intersected(picture_.rect()));
}

void ImageControl::mousePressEvent(QMouseEvent* e) {
    const QPoint pt = e->position().toPoint();
    emit MouseDown(e->button(), e->buttons(), pt.x(), pt.y());
}

void ImageControl::mouseMoveEvent(QMouseEvent* e) {
    const QPoint pt = e->position().toPoint();
    emit MouseMove(e->buttons(), pt.x(), pt.y());
}

void ImageControl::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint pt = e->position().toPoint();
    emit MouseUp(e->button(), e->buttons(), pt.x(), pt.y());
}

QImage AdoptRaster(Raster&& raster) {
    const int w = raster.Width(), h = raster.Height();
    uint32_t* pixels = raster.Release();
    QImage image(reinterpret_cast<uchar*>(pixels), w, h, qsizetype(w) * 4, QImage::Format_RGB32,
                 std::free, pixels);
    if (image.isNull()) std::free(pixels);
    return image;
}
