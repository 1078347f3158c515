#include "platform/imagecontrol.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "platform/rasterimage.h"

ImageControl::ImageControl(const QString& name, QWidget* parent)
    : QWidget(parent), canvas_(&picture_) {
    setObjectName(name);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    canvas_.changed = &pending_;
}

ImageControl::~ImageControl() { StopBuilding(); }

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
    const qint64 key = picture_.cacheKey();
    if (copies_ && key == copiesKey_) {
        // Back to the picture the copies were made from: undo what was applied.
        pending_.Merge(applied_);
        applied_.Clear();
    } else if (!(builder_.joinable() && key == buildingKey_)) {
        StopBuilding();
        copies_.reset();
        copiesKey_ = 0;
        pending_.Reset(picture_.width(), picture_.height());
        applied_.Reset(picture_.width(), picture_.height());
    }
    FitSize();
    update();
}

void ImageControl::SetAutoSize(bool on) {
    autoSize_ = on;
    FitSize();
}

void ImageControl::SetZoom(Zoom z) {
    zoom_ = z;
    FitSize();
    update();
}

void ImageControl::FitSize() {
    if (autoSize_ && !picture_.isNull())
        resize(ZoomedLength(picture_.width(), zoom_), ZoomedLength(picture_.height(), zoom_));
}

QPoint ImageControl::PixelAt(QPointF position) const {
    // At zoom 1 the point itself, as the control has always reported it.
    if (zoom_.IsOne()) return position.toPoint();
    const int x = PixelUnder(int(std::floor(position.x())), zoom_);
    const int y = PixelUnder(int(std::floor(position.y())), zoom_);
    return {std::clamp(x, 0, std::max(0, picture_.width() - 1)),
            std::clamp(y, 0, std::max(0, picture_.height() - 1))};
}

QPoint ImageControl::PointOfPixel(QPoint p) const {
    return {ScreenOfPixel(p.x(), zoom_), ScreenOfPixel(p.y(), zoom_)};
}

void ImageControl::SetFrame(const QRect& r) {
    if (r == frame_) return;
    frame_ = r;
    update();
}

void ImageControl::PrepareReducedCopies() {
    const qint64 key = picture_.cacheKey();
    if (picture_.isNull() || (copies_ && copiesKey_ == key) ||
        (builder_.joinable() && buildingKey_ == key))
        return;
    StopBuilding();
    pending_.Clear();
    applied_.Clear();
    buildingKey_ = key;
    const QImage snapshot = picture_;  // shares the pixels; a mark detaches the shown picture
    if (qint64(snapshot.width()) * snapshot.height() <= (qint64(4) << 20)) {
        auto copies = std::make_shared<ReducedCopies>();
        if (copies->Build(ViewOfImage(snapshot))) TakeCopies(std::move(copies), key);
        return;
    }
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    builder_ = std::thread([this, snapshot, key, cancel = cancel_] {
        auto copies = std::make_shared<ReducedCopies>();
        if (!copies->Build(ViewOfImage(snapshot), cancel.get())) return;
        QMetaObject::invokeMethod(
            this, [this, copies, key] { TakeCopies(copies, key); }, Qt::QueuedConnection);
    });
}

void ImageControl::TakeCopies(std::shared_ptr<ReducedCopies> copies, qint64 key) {
    if (key != buildingKey_) return;  // built for a picture no longer shown
    if (builder_.joinable()) builder_.join();
    buildingKey_ = 0;
    copies_ = std::move(copies);
    copiesKey_ = key;
    update();
}

void ImageControl::FinishReducedCopies() {
    if (builder_.joinable()) builder_.join();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void ImageControl::StopBuilding() {
    if (builder_.joinable()) {
        cancel_->store(true);
        builder_.join();
    }
    buildingKey_ = 0;
}

void ImageControl::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    PaintPicture(p, e->rect());
    if (frame_.isEmpty()) return;
    p.setPen(Qt::red);
    p.setBrush(Qt::NoBrush);
    p.drawRect(frame_.adjusted(0, 0, -1, -1));
}

void ImageControl::PaintPicture(QPainter& p, const QRect& r) {
    if (zoom_.IsOne()) {
        p.drawImage(r.topLeft(), picture_, r.intersected(picture_.rect()));
        return;
    }
    const QRect shown = r.intersected(
        QRect(0, 0, ZoomedLength(picture_.width(), zoom_), ZoomedLength(picture_.height(), zoom_)));
    if (!shown.isEmpty()) p.drawImage(shown.topLeft(), Rendered(shown));
}

QImage ImageControl::Rendered(const QRect& r) {
    if (copies_)
        pending_.Take([this](int x, int y, int w, int h) {
            copies_->Update(ViewOfImage(picture_), x, y, w, h);
            applied_.MarkRect(x, y, w, h);
        });
    if (zoom_ < Zoom{1, 2} && !copies_) PrepareReducedCopies();
    QImage block(r.size(), QImage::Format_RGB32);
    if (block.isNull()) return block;
    RenderZoomed(ViewOfImage(picture_), copies_.get(), zoom_, r.x(), r.y(), r.width(), r.height(),
                 reinterpret_cast<uint32_t*>(block.bits()), block.bytesPerLine() / 4);
    return block;
}

void ImageControl::mousePressEvent(QMouseEvent* e) {
    lastPoint_ = e->position().toPoint();
    const QPoint pt = PixelAt(e->position());
    emit MouseDown(e->button(), e->buttons(), pt.x(), pt.y());
}

void ImageControl::mouseMoveEvent(QMouseEvent* e) {
    lastPoint_ = e->position().toPoint();
    const QPoint pt = PixelAt(e->position());
    emit MouseMove(e->buttons(), pt.x(), pt.y());
}

void ImageControl::mouseReleaseEvent(QMouseEvent* e) {
    lastPoint_ = e->position().toPoint();
    const QPoint pt = PixelAt(e->position());
    emit MouseUp(e->button(), e->buttons(), pt.x(), pt.y());
}
