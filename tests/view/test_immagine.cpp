#include <QBuffer>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QScrollBar>
#include <QTest>

#include "app/u_avviso.h"
#include "app/u_opzioni.h"
#include "app/u_stato.h"
#include "tables/u_tabfot.h"
#include "tables/u_tabimm.h"
#include "tables/u_tabogg.h"
#include "tests/view/picture_files.h"
#include "view/u_naviga.h"
#include "view/u_vista.h"

namespace {

int MaxChannelError(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

// A JPEG-friendly picture: broad flat blocks, so that quality 100 keeps
// every block's colour within a few levels.
QImage BlockPicture(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x / 16) * 40 % 256, (y / 16) * 60 % 256, 128));
    return img;
}

}  // namespace

using SourceImage = PictureRun;

TEST_F(SourceImage, BitmapOpensPixelForPixelAndSharesItsCleanCopy) {
    const QImage src = TracePicture(37, 23);
    const QString path = Write("pianta.bmp", src, "BMP");
    Open(path);

    ASSERT_NE(ImageWindow, nullptr);
    EXPECT_TRUE(main_->cb_imm->Checked());
    EXPECT_EQ(SubWindows(), 1);
    EXPECT_EQ(ImageWindow->windowTitle(), path);
    EXPECT_TRUE(main_->MdiArea->subWindowList().first()->isMaximized());
    const QImage& shown = std::as_const(*ImageWindow->Image1).Picture();
    ASSERT_EQ(shown.size(), QSize(37, 23));
    EXPECT_EQ(ImageWindow->Image1->size(), QSize(37, 23));
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x)
            ASSERT_EQ(ImageWindow->Image1->canvas().Pixel(x, y), TracePixel(x, y) & 0xFFFFFF);
    // One picture in memory: the clean copy and the small navigator picture
    // share the shown one.
    EXPECT_EQ(CleanBitmap.constBits(), shown.constBits());
    EXPECT_EQ(std::as_const(*FormNaviga->Image1).Picture().constBits(), shown.constBits());
    EXPECT_EQ(FormNaviga->Image1->size(), QSize(37, 23));
    EXPECT_TRUE(FormNaviga->AutoSize());
    EXPECT_FALSE(main_->ProgressBar1->isVisible());
    EXPECT_TRUE(DialogSeam::Messages().isEmpty());
}

TEST_F(SourceImage, CameraJpegNamesOpenWhateverTheCase) {
    const QImage src = BlockPicture(96, 64);
    for (const QString name : {"IMG_0001.JPG", "foto.jpeg", "prospetto è.Jpg"}) {
        Open(Write(name, src, "JPG", 100));
        ASSERT_NE(ImageWindow, nullptr) << name.toStdString();
        const QImage& shown = std::as_const(*ImageWindow->Image1).Picture();
        ASSERT_EQ(shown.size(), src.size());
        // Inside the flat blocks the colour comes back within a few levels
        // (chroma subsampling blurs only the block edges)...
        int worst = 0;
        for (int y = 4; y < 64; y += 16)
            for (int x = 4; x < 96; x += 16)
                for (int k = 0; k < 8; ++k)
                    worst = std::max(
                        worst, MaxChannelError(shown.pixel(x + k, y + k), src.pixel(x + k, y + k)));
        EXPECT_LE(worst, 6) << name.toStdString();
        // ...and everywhere it agrees with the toolkit's own reading of the file.
        const QImage reference(ImageWindow->windowTitle(), "JPG");
        int apart = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 96; ++x)
                apart = std::max(apart, MaxChannelError(shown.pixel(x, y), reference.pixel(x, y)));
        EXPECT_LE(apart, 2) << name.toStdString();
        main_->Action("Chiudi1")->trigger();
        FlushDeletes();
        EXPECT_EQ(SubWindows(), 0);
    }
    EXPECT_TRUE(DialogSeam::Messages().isEmpty());
}

TEST_F(SourceImage, LargePictureShowsProgressWhileDecoding) {
    QList<int> seen;
    QObject::connect(main_->ProgressBar1, &QProgressBar::valueChanged, [&](int v) { seen << v; });
    for (const char* format : {"JPG", "BMP"}) {
        seen.clear();
        Open(Write(QString("grande.") + format, BlockPicture(800, 600), format, 90));
        ASSERT_NE(ImageWindow, nullptr) << format;
        ASSERT_GE(seen.size(), 5) << format;
        EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end())) << format;
        EXPECT_GE(seen.last(), 90) << format;
        EXPECT_FALSE(main_->ProgressBar1->isVisible());
        main_->Action("Chiudi1")->trigger();
        FlushDeletes();
    }
}

TEST_F(SourceImage, ThumbnailSizesAndNearestSampling) {
    struct Case {
        int w, h, tw, th, step;
    };
    for (const Case c : {Case{601, 200, 300, 100, 2}, Case{1000, 1000, 333, 300, 3},
                         Case{640, 480, 300, 240, 2}}) {
        Open(Write(QString("t%1x%2.bmp").arg(c.w).arg(c.h), TracePicture(c.w, c.h), "BMP"));
        ASSERT_NE(ImageWindow, nullptr);
        const QImage& nav = std::as_const(*FormNaviga->Image1).Picture();
        EXPECT_EQ(nav.size(), QSize(c.tw, c.th)) << c.w << "x" << c.h;
        EXPECT_EQ(FormNaviga->Image1->size(), QSize(c.tw, c.th));
        for (const QPoint p : {QPoint(0, 0), QPoint(c.tw - 1, c.th - 1), QPoint(17, 33)})
            EXPECT_EQ(nav.pixel(p), TracePixel(p.x() * c.step, p.y() * c.step));
        main_->Action("Chiudi1")->trigger();
        FlushDeletes();
    }
}

TEST_F(SourceImage, LensSitsUpLeftOfThePointerAndMagnifies) {
    Open(Write("lente.bmp", TracePicture(1500, 1100), "BMP"));
    ASSERT_NE(ImageWindow, nullptr);
    CentreViewOn(ImageWindow, 700, 500);
    const int h = ImageWindow->horizontalScrollBar()->value(),
              v = ImageWindow->verticalScrollBar()->value();
    ASSERT_GT(h, 0);
    ASSERT_GT(v, 0);
    main_->Action("Zoom2")->trigger();
    FormOpzioni->SpinEdit1->setValue(7);

    QTest::mousePress(ImageWindow->Image1, Qt::RightButton, {}, QPoint(650, 480));
    EXPECT_TRUE(ImageWindow->Panel1->isVisible());
    EXPECT_EQ(ImageWindow->Panel1->pos(), QPoint(650 - h - 52, 480 - v - 52));
    // Zoom 7: 50 div 7 = 7, so the 14 x 14 square from (643, 473) fills the lens.
    const QImage& lens = std::as_const(*ImageWindow->Image2).Picture();
    EXPECT_EQ(lens.pixel(0, 0), TracePixel(643, 473));
    EXPECT_EQ(lens.pixel(99, 99), TracePixel(656, 486));
    EXPECT_EQ(lens.pixel(50, 50), TracePixel(650, 480));
    // The lens reads the picture; it neither marks nor copies it.
    EXPECT_EQ(CleanBitmap.constBits(), std::as_const(*ImageWindow->Image1).Picture().constBits());
    QTest::mouseRelease(ImageWindow->Image1, Qt::RightButton, {}, QPoint(650, 480));
    EXPECT_FALSE(ImageWindow->Panel1->isVisible());

    // Zoom 1 is the picture's own scale: a 100 x 100 window on the pointer.
    FormOpzioni->SpinEdit1->setValue(1);
    ImageWindow->Image1MouseMove(Qt::RightButton, 800, 600);
    EXPECT_EQ(lens.pixel(0, 0), TracePixel(750, 550));
    EXPECT_EQ(lens.pixel(99, 99), TracePixel(849, 649));
    // Near the corner the part of the square outside the picture shows the
    // lens's white brush, not what the lens showed before.
    ImageWindow->Image1MouseMove(Qt::RightButton, 10, 10);
    EXPECT_EQ(lens.pixel(39, 39), 0xFFFFFFFFu);
    EXPECT_EQ(lens.pixel(40, 40), TracePixel(0, 0));
    // Pan mode shows no lens.
    main_->Action("Pan2")->trigger();
    ImageWindow->Image1MouseUp(Qt::RightButton, {}, 0, 0);
    ImageWindow->Image1MouseDown(Qt::RightButton, Qt::RightButton, 700, 500);
    EXPECT_FALSE(ImageWindow->Panel1->isVisible());
}

TEST_F(SourceImage, ViewCentreAndItsClamping) {
    Open(Write("vista.bmp", TracePicture(1500, 1100), "BMP"));
    ASSERT_NE(ImageWindow, nullptr);
    QScrollBar* hs = ImageWindow->horizontalScrollBar();
    QScrollBar* vs = ImageWindow->verticalScrollBar();
    const int halfW = (ImageWindow->width() - 4) / 2, halfH = (ImageWindow->height() - 4) / 2;
    CentreViewOn(ImageWindow, 700, 500);
    EXPECT_EQ(hs->value(), 700 - halfW);
    EXPECT_EQ(vs->value(), 500 - halfH);
    EXPECT_EQ(GetViewCentre(ImageWindow), QPoint(700, 500));
    CentreViewOn(ImageWindow, 5, 5);  // near the top-left: never negative
    EXPECT_EQ(hs->value(), 0);
    EXPECT_EQ(vs->value(), 0);
    CentreViewOn(ImageWindow, 100000, 100000);  // the scroll bars stop at the far end
    EXPECT_EQ(hs->value(), hs->maximum());
    EXPECT_EQ(vs->value(), vs->maximum());
}

TEST_F(SourceImage, PointerReadoutInBothMethods) {
    Open(Write("lettura.bmp", TracePicture(300, 200), "BMP"));
    ASSERT_NE(ImageWindow, nullptr);
    QTest::mouseMove(ImageWindow->Image1, QPoint(123, 45));
    EXPECT_EQ(Panel(0), " x: 123");
    EXPECT_EQ(Panel(1), " y: 45");  // the plain row
    main_->SetMethod(false);
    ImageWindow->Image1MouseMove(Qt::NoButton, 7, 199);
    EXPECT_EQ(Panel(0), " x: 7");
    EXPECT_EQ(Panel(1), " y: 199");
}

TEST_F(SourceImage, ClickGoesToTheCheckedModeOnly) {
    Open(Write("click.bmp", TracePicture(300, 200), "BMP"));
    ASSERT_NE(ImageWindow, nullptr);
    // No mode: a left click does nothing.
    QTest::mouseClick(ImageWindow->Image1, Qt::LeftButton, {}, QPoint(40, 50));
    EXPECT_EQ(FormTabImm->Edit2->text(), "");
    // Collimation takes the left button only...
    main_->rb_collima->SetChecked(true);
    main_->Action("Zoom2")->trigger();
    QTest::mouseClick(ImageWindow->Image1, Qt::RightButton, {}, QPoint(40, 50));
    EXPECT_EQ(FormTabImm->Edit2->text(), "");
    QTest::mouseClick(ImageWindow->Image1, Qt::LeftButton, {}, QPoint(40, 50));
    EXPECT_EQ(FormTabImm->Edit2->text(), "40");
    EXPECT_EQ(FormTabImm->Edit3->text(), "50");
    // ...and with both buttons held the lens comes first, then collimation.
    ImageWindow->Image1MouseDown(Qt::LeftButton, Qt::LeftButton | Qt::RightButton, 60, 70);
    EXPECT_TRUE(ImageWindow->Panel1->isVisible());
    EXPECT_EQ(FormTabImm->Edit2->text(), "60");
    EXPECT_EQ(FormTabImm->Edit3->text(), "70");
}

TEST_F(SourceImage, RightDragInPanModeMovesTheViewHalfAsFar) {
    Open(Write("pan.bmp", TracePicture(1500, 1100), "BMP"));
    ASSERT_NE(ImageWindow, nullptr);
    main_->Action("Pan2")->trigger();
    EXPECT_EQ(Panel(3), " pan attivo");
    CentreViewOn(ImageWindow, 700, 500);
    ImageWindow->Image1MouseMove(Qt::NoButton, 600, 400);  // the previous-move position
    ImageWindow->Image1MouseMove(Qt::RightButton, 610, 400);
    EXPECT_EQ(GetViewCentre(ImageWindow), QPoint(695, 500));
    EXPECT_EQ(ImageWindow->Image1->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(LastMouseX, 610);
    ImageWindow->Image1MouseMove(Qt::RightButton, 610, 390);
    EXPECT_EQ(GetViewCentre(ImageWindow), QPoint(695, 505));
    // Without the button the view stays, but the last position follows.
    ImageWindow->Image1MouseMove(Qt::NoButton, 700, 300);
    EXPECT_EQ(GetViewCentre(ImageWindow), QPoint(695, 505));
    EXPECT_EQ(LastMouseY, 300);
    EXPECT_EQ(ImageWindow->Image1->cursor().shape(), Qt::CrossCursor);
}

TEST_F(SourceImage, RubberBandFollowsThePointerAndErasesItself) {
    Open(Write("elastico.bmp", TracePicture(300, 200), "BMP"));
    ASSERT_NE(ImageWindow, nullptr);
    Canvas& c = ImageWindow->Image1->canvas();
    main_->rb_linee_or->SetChecked(true);
    Dragging = true;
    StartPoint = EndPoint = QPoint(10, 20);
    ImageWindow->Image1MouseMove(Qt::NoButton, 60, 20);
    EXPECT_EQ(EndPoint, QPoint(60, 20));
    EXPECT_NE(c.Pixel(11, 20), TracePixel(11, 20) & 0xFFFFFF);  // first dash
    ImageWindow->Image1MouseMove(Qt::NoButton, 10, 80);
    EXPECT_EQ(c.Pixel(11, 20), TracePixel(11, 20) & 0xFFFFFF);  // the old band is gone
    EXPECT_NE(c.Pixel(10, 21), TracePixel(10, 21) & 0xFFFFFF);
    // The clean copy never sees the band.
    EXPECT_EQ(CleanBitmap.pixel(10, 21), TracePixel(10, 21));
    // Outside the band modes nothing is drawn.
    main_->rb_collima->SetChecked(true);
    ImageWindow->Image1MouseMove(Qt::NoButton, 100, 100);
    EXPECT_EQ(EndPoint, QPoint(10, 80));
}

TEST_F(SourceImage, ClosingByTheFrameRunsTheFullReset) {
    Open(Write("chiudi.bmp", TracePicture(700, 300), "BMP"));
    ASSERT_NE(ImageWindow, nullptr);
    main_->Action("Navigatore2")->trigger();
    ASSERT_TRUE(FormNaviga->isVisible());
    FormTabImm->StringGrid1->SetCells(0, 1, "1");
    FormTabImm->StringGrid1->SetCells(1, 1, "10");
    FormTabOgg->StringGrid1->SetCells(1, 1, "5.000");
    FormTabFot->StringGrid1->SetCells(1, 1, "5");
    main_->cb_fot->SetChecked(true);
    main_->cb_area->SetChecked(true);
    ImageWindow->Image1MouseMove(Qt::NoButton, 3, 4);
    ASSERT_EQ(Panel(0), " x: 3");

    Dragging = true;  // a line left between its two clicks
    main_->MdiArea->subWindowList().first()->close();
    FlushDeletes();

    EXPECT_FALSE(Dragging);
    EXPECT_EQ(ImageWindow, nullptr);
    EXPECT_EQ(SubWindows(), 0);
    EXPECT_TRUE(CleanBitmap.isNull());
    EXPECT_FALSE(main_->cb_imm->Checked());
    EXPECT_FALSE(main_->cb_fot->Checked());
    EXPECT_FALSE(main_->cb_area->Checked());
    EXPECT_EQ(FormTabImm->StringGrid1->Cells(1, 1), "");
    EXPECT_EQ(FormTabOgg->StringGrid1->Cells(1, 1), "");
    EXPECT_EQ(FormTabFot->StringGrid1->Cells(1, 1), "");
    EXPECT_FALSE(FormNaviga->isVisible());
    EXPECT_FALSE(FormNaviga->AutoSize());
    EXPECT_FALSE(main_->Action("Navigatore2")->isChecked());
    EXPECT_TRUE(std::as_const(*FormNaviga->Image1).Picture().isNull());
    EXPECT_EQ(Panel(0), "");
    EXPECT_EQ(Panel(1), "");
    // And the menu's "Chiudi" now has nothing to close.
    main_->Action("Chiudi1")->trigger();
    EXPECT_EQ(FormAvviso->Label1->text(), " nessuna immagine attiva");
}

// ---- Files that cannot be opened -------------------------------------------

namespace {
QByteArray Le16(int v) { return QByteArray(1, char(v & 255)) + char((v >> 8) & 255); }
QByteArray Le32(quint32 v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }

// A 24-bit bitmap header claiming w x h, with `pixelBytes` bytes of data.
QByteArray BmpHeader(int w, int h, int pixelBytes) {
    QByteArray b = "BM" + Le32(54 + pixelBytes) + Le32(0) + Le32(54);
    b += Le32(40) + Le32(w) + Le32(h) + Le16(1) + Le16(24) + Le32(0) + Le32(pixelBytes) +
         Le32(2835) + Le32(2835) + Le32(0) + Le32(0);
    return b + QByteArray(pixelBytes, '\x40');
}

QByteArray Encode(const QImage& img, const char* format, int quality = -1) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, format, quality);
    return bytes;
}

// A JPEG whose frame header claims w x h (the SOF0 marker's fields).
QByteArray JpegClaiming(int w, int h) {
    QByteArray bytes = Encode(BlockPicture(16, 16), "JPG");
    const int sof = bytes.indexOf("\xFF\xC0");
    bytes[sof + 5] = char(h >> 8);
    bytes[sof + 6] = char(h & 255);
    bytes[sof + 7] = char(w >> 8);
    bytes[sof + 8] = char(w & 255);
    return bytes;
}
}  // namespace

TEST_F(SourceImage, EveryBadFileEndsInAMessageAndAConsistentState) {
    const QByteArray jpeg = Encode(BlockPicture(64, 64), "JPG");
    struct Bad {
        QString name;
        QByteArray bytes;
        QString reason;
    };
    const QList<Bad> cases = {
        {"vuoto.jpg", QByteArray(), "file vuoto"},
        {"testata.jpg", jpeg.left(40), ""},
        {"bitmap.jpg", BmpHeader(400, 300, 1000), "file troncato"},  // read as what it is
        {"png.bmp", Encode(BlockPicture(8, 8), "PNG").left(40), "file troncato"},
        {"troncato.bmp", BmpHeader(400, 300, 1000), "file troncato"},
        {"largo.bmp", BmpHeader(100000, 10, 0), "dimensioni non valide"},
        {"enorme.bmp", BmpHeader(30000, 20000, 0), "dimensioni non valide"},
        {"enorme.jpg", JpegClaiming(65000, 65000), "dimensioni non valide"},
        {"nulla.png", QByteArray("non una foto"), "formato non riconosciuto"},
    };
    // Something else is open and must stay as it is.
    FormTabImm->StringGrid1->SetCells(0, 1, "7");
    FormTabImm->StringGrid1->SetCells(1, 1, "123");
    main_->Action("Visualizza6")->trigger();
    for (const Bad& bad : cases) {
        DialogSeam::Messages().clear();
        const QString path = WriteBytes(bad.name, bad.bytes);
        Open(path);
        FlushDeletes();
        const std::string what = bad.name.toStdString();
        ASSERT_EQ(DialogSeam::Messages().size(), 1) << what;
        const QString text = DialogSeam::Messages().first();
        EXPECT_TRUE(text.contains(path)) << what << ": " << text.toStdString();
        EXPECT_TRUE(text.contains(bad.reason)) << what << ": " << text.toStdString();
        EXPECT_EQ(SubWindows(), 0) << what;
        EXPECT_EQ(ImageWindow, nullptr) << what;
        EXPECT_TRUE(CleanBitmap.isNull()) << what;
        EXPECT_FALSE(main_->cb_imm->Checked()) << what;
        EXPECT_FALSE(main_->ProgressBar1->isVisible()) << what;
    }
    // A file that is not there at all.
    DialogSeam::Messages().clear();
    Open(Path("manca.jpg"));
    ASSERT_EQ(DialogSeam::Messages().size(), 1);
    EXPECT_TRUE(DialogSeam::Messages().first().contains("manca.jpg"));
    EXPECT_FALSE(main_->cb_imm->Checked());
    EXPECT_TRUE(FormTabImm->isVisible());
    EXPECT_EQ(FormTabImm->StringGrid1->Cells(1, 1), "123");
    // After all that a good picture still opens.
    Open(Write("buona.bmp", TracePicture(20, 10), "BMP"));
    EXPECT_TRUE(main_->cb_imm->Checked());
}

TEST_F(SourceImage, DamagedJpegOpensWithWhatDecodedAndSaysSo) {
    const QByteArray jpeg = Encode(BlockPicture(256, 256), "JPG", 90);
    const QString path = WriteBytes("danneggiato.jpg", jpeg.left(jpeg.size() * 2 / 3));
    Open(path);
    ASSERT_NE(ImageWindow, nullptr);
    EXPECT_TRUE(main_->cb_imm->Checked());
    EXPECT_EQ(std::as_const(*ImageWindow->Image1).Picture().size(), QSize(256, 256));
    ASSERT_EQ(DialogSeam::Messages().size(), 1);
    EXPECT_TRUE(DialogSeam::Messages().first().contains(path));
    EXPECT_TRUE(DialogSeam::Messages().first().contains("danneggiata"));
}

TEST_F(SourceImage, CancelledDialogOpensNothingEvenAfterAnEarlierChoice) {
    Open(Write("prima.bmp", TracePicture(20, 10), "BMP"));
    ASSERT_TRUE(main_->cb_imm->Checked());
    main_->Action("Chiudi1")->trigger();
    FlushDeletes();
    DialogSeam::PresetCancel();
    main_->Action("Apri1")->trigger();
    FlushDeletes();
    EXPECT_EQ(SubWindows(), 0);
    EXPECT_FALSE(main_->cb_imm->Checked());
    EXPECT_TRUE(DialogSeam::Messages().isEmpty());
}
