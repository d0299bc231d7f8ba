// The GIF animation painter: loops, disposal, synchronous and asynchronous playing.
#include "tests/imaging/gif_test_support.h"

#include "imaging/formats/gif_painter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPainter>

using namespace gif_test;

namespace {

// An image of solid 1 x 1 (or screen-sized) frames in the given colours.
void addSolidFrame(TGIFImage& image, QRgb colour, int delay, int disposal, int left = 0, int top = 0, int size = 2) {
    auto frame = std::make_unique<TGIFSubImage>(&image);
    frame->SetLeft(left);
    frame->SetTop(top);
    frame->SetWidth(size);
    frame->SetHeight(size);
    frame->NewImage();
    frame->ColorMap.Add(gifRGB(uint8_t(qRed(colour)), uint8_t(qGreen(colour)), uint8_t(qBlue(colour))));
    frame->ColorMap.Add(0);
    auto* control = new TGIFGraphicControlExtension(frame.get());
    frame->Extensions.Add(control);
    control->SetDelay(uint16_t(delay));
    control->SetDisposal(disposal);
    image.Add(frame.release());
}

struct EventLog {
    QStringList Events;
    void attach(TGIFImage& image) {
        image.OnStartPaint = [this](TGIFPainter*) { Events << "start"; };
        image.OnPaint = [this](TGIFPainter* p) { Events << QStringLiteral("paint %1").arg(p->ActiveImage.load()); };
        image.OnLoop = [this](TGIFPainter*) { Events << "loop"; };
        image.OnEndPaint = [this](TGIFPainter*) { Events << "end"; };
    }
};

}  // namespace

TEST(GifPainter, SynchronousPainterHonoursTheLoopCount) {
    TGIFImage image;
    image.SetWidth(2);
    image.SetHeight(2);
    addSolidFrame(image, qRgb(255, 0, 0), 1, 1);
    addSolidFrame(image, qRgb(0, 255, 0), 1, 1);
    addSolidFrame(image, qRgb(0, 0, 255), 1, 1);
    auto* loop = new TGIFAppExtNSLoop(image.Images().Frame(0));
    loop->Loops = 2;
    image.Images().Frame(0)->Extensions.Add(loop);
    EventLog log;
    log.attach(image);
    QImage canvas(2, 2, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(image.CreatePainter(&painter, QRect(0, 0, 2, 2), DrawAnimate | DrawLoop), nullptr);
    // Six frames, each waiting one sleep of 100 ms.
    EXPECT_GE(timer.elapsed(), 550);
    EXPECT_EQ(log.Events, (QStringList{"start", "paint 0", "paint 1", "paint 2", "loop", "paint 0", "paint 1",
                                       "paint 2", "end"}));
    EXPECT_EQ(canvas.pixel(1, 1), qRgb(0, 0, 255));
    EXPECT_EQ(image.PainterCount(), 0);
    // Without looping the animation plays once, whatever the count.
    log.Events.clear();
    image.CreatePainter(&painter, QRect(0, 0, 2, 2), DrawAnimate);
    EXPECT_EQ(log.Events, (QStringList{"start", "paint 0", "paint 1", "paint 2", "end"}));
    // Without animating only the first frame is painted.
    log.Events.clear();
    image.CreatePainter(&painter, QRect(0, 0, 2, 2), 0);
    EXPECT_EQ(log.Events, (QStringList{"start", "paint 0", "end"}));
    // An empty rectangle paints nothing.
    EXPECT_EQ(image.CreatePainter(&painter, QRect(), DrawAnimate), nullptr);
}

TEST(GifPainter, RestoreToBackgroundLeavesTheInitialBackground) {
    TGIFImage image;
    image.SetWidth(2);
    image.SetHeight(2);
    addSolidFrame(image, qRgb(255, 0, 0), 1, 2, 0, 0, 1);
    addSolidFrame(image, qRgb(0, 0, 255), 1, 1, 1, 1, 1);
    QImage canvas(2, 2, QImage::Format_RGB32);
    canvas.fill(qRgb(0, 255, 0));
    QPainter painter(&canvas);
    QStringList seen;
    image.OnPaint = [&](TGIFPainter* p) {
        if (p->ActiveImage == 1) seen << QString::number(canvas.pixel(0, 0), 16);
    };
    image.CreatePainter(&painter, QRect(0, 0, 2, 2), DrawAnimate | DrawTransparent);
    EXPECT_EQ(seen, QStringList{QString::number(qRgb(255, 0, 0), 16)});  // the first frame was shown
    EXPECT_EQ(canvas.pixel(0, 0), qRgb(0, 255, 0));  // and its place restored
    EXPECT_EQ(canvas.pixel(1, 1), qRgb(0, 0, 255));
    EXPECT_EQ(canvas.pixel(1, 0), qRgb(0, 255, 0));
}

TEST(GifPainter, AsynchronousDrawStopsAtOnceDuringALongDelay) {
    TGIFImage image;
    image.SetWidth(2);
    image.SetHeight(2);
    addSolidFrame(image, qRgb(255, 0, 0), 2000, 1);
    addSolidFrame(image, qRgb(0, 0, 255), 2000, 1);
    EventLog log;
    log.attach(image);
    QImage canvas(4, 4, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    {
        QPainter painter(&canvas);
        image.Draw(painter, QRect(0, 0, 4, 4));  // default options: asynchronous
    }
    // Draw comes back once the first frame is in the bitmap and shows it.
    EXPECT_EQ(canvas.pixel(3, 3), qRgb(255, 0, 0));
    EXPECT_EQ(image.PainterCount(), 1);
    QElapsedTimer timer;
    timer.start();
    image.StopDraw();
    EXPECT_LT(timer.elapsed(), 5000);  // not the 24 s of the delay
    EXPECT_EQ(image.PainterCount(), 0);
    EXPECT_EQ(log.Events.first(), "start");
    EXPECT_EQ(log.Events.last(), "end");
    EXPECT_FALSE(log.Events.contains("paint 1"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
