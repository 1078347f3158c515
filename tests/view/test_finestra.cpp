#include <QStringList>

#include "app/u_forms.h"
#include "tests/gui_fixture.h"
#include "view/u_finestra.h"

namespace {

// A window of the kind the rectified image will be: it records what the
// shared part hands over to it.
class RecordingWindow : public ImageWindowBase {
public:
    explicit RecordingWindow(QStringList* calls) : ImageWindowBase("Recording"), calls_(calls) {
        Image1->SetPicture(QImage(200, 150, QImage::Format_RGB32));
    }
    bool band = false;
    void FormClose() override { *calls_ << "close"; }

protected:
    void ShowPointer(int x, int y) override { *calls_ << QString("pointer %1 %2").arg(x).arg(y); }
    bool BandFollowsPointer() const override { return band; }
    void ClickBranches(Qt::MouseButton, Qt::MouseButtons, int x, int y) override {
        *calls_ << QString("click %1 %2 lens %3").arg(x).arg(y).arg(Panel1->isVisible());
    }
    void Released(Qt::MouseButton, Qt::MouseButtons, int x, int y) override {
        *calls_ << QString("release %1 %2 lens %3").arg(x).arg(y).arg(Panel1->isVisible());
    }

private:
    QStringList* calls_;
};

}  // namespace

using ImageWindowShared = VekRun;

TEST_F(ImageWindowShared, HandsReadoutClicksReleaseAndCloseToTheWindow) {
    ChooseAnalytic();
    QStringList calls;
    auto* w = new RecordingWindow(&calls);
    w->resize(120, 100);
    w->show();
    main_->rb_zoom->SetChecked(true);
    w->Image1MouseMove(Qt::NoButton, 10, 20);
    w->Image1MouseDown(Qt::RightButton, Qt::RightButton, 30, 40);  // the lens comes first
    w->Image1MouseUp(Qt::RightButton, Qt::NoButton, 30, 40);       // and is gone before
    w->close();                                                    // frees it
    EXPECT_EQ(calls, QStringList(
                         {"pointer 10 20", "click 30 40 lens 1", "release 30 40 lens 0", "close"}));
}

TEST_F(ImageWindowShared, BandFollowsThePointerOnlyWhenTheWindowSaysSo) {
    ChooseAnalytic();
    QStringList calls;
    RecordingWindow w(&calls);
    Dragging = true;
    StartPoint = EndPoint = QPoint(5, 5);
    w.Image1MouseMove(Qt::NoButton, 50, 60);
    EXPECT_EQ(EndPoint, QPoint(5, 5));
    w.band = true;
    w.Image1MouseMove(Qt::NoButton, 50, 60);
    EXPECT_EQ(EndPoint, QPoint(50, 60));
    Dragging = false;
}
