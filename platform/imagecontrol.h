// An image control: shows its picture from its top-left corner at its zoom
// (one screen pixel per picture pixel unless told otherwise), sizes itself
// to the zoomed picture when AutoSize is on, and reports presses and moves
// in picture pixels by the pointer rule of platform/zoom.h.
#pragma once

#include <QImage>
#include <QWidget>
#include <atomic>
#include <memory>
#include <thread>

class QPainter;

#include "platform/canvas.h"
#include "platform/reduction.h"
#include "platform/zoom.h"

class ImageControl : public QWidget {
    Q_OBJECT
public:
    explicit ImageControl(const QString& name, QWidget* parent = nullptr);
    ~ImageControl() override;
    QImage& Picture() { return picture_; }
    const QImage& Picture() const { return picture_; }
    void SetPicture(const QImage& img);
    void SetPicture(QImage&& img);
    Canvas& canvas() { return canvas_; }
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool on);
    void Repaint() { update(); }
    Zoom zoom() const { return zoom_; }
    void SetZoom(Zoom z);
    // The picture pixel under a point of the control, clamped to the picture.
    QPoint PixelAt(QPointF position) const;
    // Where the pointer was at the last press, move or release.
    QPoint LastPoint() const { return lastPoint_; }
    // Starts building the picture's reduced copies in the background (at
    // once for a picture of at most 4 megapixels); until they are ready a
    // reduction below 1/2 is drawn by the nearest pixel.
    void PrepareReducedCopies();
    // Waits for the copies being built and takes them in.
    void FinishReducedCopies();
    bool HasReducedCopies() const { return copies_ != nullptr; }
    // The w x h block at (x, y) of the control as it paints it.
    QImage Rendered(const QRect& r);
    // A red outline over the picture (picture pixels at zoom 1); none when
    // empty. It is drawn on the screen only, never into the picture.
    void SetFrame(const QRect& r);
    QRect Frame() const { return frame_; }
    // The control's point that holds the centre of picture pixel p.
    QPoint PointOfPixel(QPoint p) const;

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
    void FitSize();
    void PaintPicture(QPainter& p, const QRect& r);
    void StopBuilding();
    void TakeCopies(std::shared_ptr<ReducedCopies> copies, qint64 key);
    QImage picture_;
    Canvas canvas_;
    bool autoSize_ = false;
    Zoom zoom_;
    QPoint lastPoint_;
    QRect frame_;
    // The reduced copies of the picture whose cache key is copiesKey_, and
    // the squares changed since they were taken in: `pending_` not yet
    // applied, `applied_` applied since the copies matched that picture.
    std::shared_ptr<ReducedCopies> copies_;
    qint64 copiesKey_ = 0;
    ChangedSquares pending_, applied_;
    std::thread builder_;
    std::shared_ptr<std::atomic<bool>> cancel_;
    qint64 buildingKey_ = 0;
};
