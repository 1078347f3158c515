// The navigator: the whole source picture, reduced when large, with a red
// frame round the part the source window shows; a click glides the source
// view to the clicked place.
#pragma once

#include "platform/controls.h"
#include "platform/imagecontrol.h"

class TFormNaviga : public ToolWindow {
    Q_OBJECT
public:
    explicit TFormNaviga(QWidget* parent = nullptr);
    ImageControl* Image1;
    // The window fits its picture while on.
    void SetAutoSize(bool on);
    bool AutoSize() const { return autoSize_; }

public slots:
    // The frame follows the source window's view (scrolling, zoom, size).
    void ShowView();
    // Glides the source view so that the clicked place comes to its centre.
    void Image1MouseDown(Qt::MouseButton button, Qt::MouseButtons held, int x, int y);

private:
    bool autoSize_ = false;
};
