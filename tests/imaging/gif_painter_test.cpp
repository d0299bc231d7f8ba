// The GIF animation painter: loops, disposal, synchronous and asynchronous playing.
#include "tests/imaging/gif_test_support.h"

#include "imaging/formats/gif_painter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QTest>

#include <vector>

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

// Records the painter events by name, with the sender of each.
struct EventLog {
    QStringList Events;
    std::vector<TGIFPainter*> Senders;
    void attach(TGIFImage& image) {
        auto record = [this](const QString& name) {
            return [this, name](TGIFPainter* sender) {
                Events << name;
                Senders.push_back(sender);
            };
        };
        image.OnPainterStart = record("OnPainterStart");
        image.OnFramePaint = [this](TGIFPainter* sender) {
            Events << QStringLiteral("OnFramePaint %1").arg(sender->CurrentFrame.load());
            Senders.push_back(sender);
        };
        image.OnAnimationLoop = record("OnAnimationLoop");
        image.OnPainterEnd = record("OnPainterEnd");
    }
    void clear() {
        Events.clear();
        Senders.clear();
    }
};

}  // namespace

// The four painter events, copied from the image to every painter it creates, fire in the order
// of the play with that painter as sender, synchronous or asynchronous.
TEST(GifPainter, PainterEventsFollowThePlay) {
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
    const QStringList once{"OnPainterStart", "OnFramePaint 0", "OnFramePaint 1", "OnFramePaint 2", "OnPainterEnd"};
    const QStringList twice{"OnPainterStart", "OnFramePaint 0", "OnFramePaint 1",  "OnFramePaint 2", "OnAnimationLoop",
                            "OnFramePaint 0", "OnFramePaint 1", "OnFramePaint 2", "OnPainterEnd"};
    struct Case {
        const char* Name;
        uint16_t Options;
        QStringList Expected;
    };
    const Case cases[] = {
        {"looping, the loop count played", DrawAnimate | DrawLoop, twice},
        {"not looping: played once whatever the count", DrawAnimate, once},
        {"not animating: the first frame only", 0, {"OnPainterStart", "OnFramePaint 0", "OnPainterEnd"}},
        {"asynchronous, looping", DrawAsync | DrawAnimate | DrawLoop, twice},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        log.clear();
        QImage canvas(2, 2, QImage::Format_RGB32);
        canvas.fill(Qt::black);
        QPainter painter(&canvas);
        QElapsedTimer timer;
        timer.start();
        TGIFPainter* started = image.CreatePainter(&painter, QRect(0, 0, 2, 2), c.Options);
        if (c.Options & DrawAsync) {
            ASSERT_NE(started, nullptr);
            started->Start();
            ASSERT_TRUE(QTest::qWaitFor([&] { return image.PainterCount() == 0; }, 30000));
        } else {
            EXPECT_EQ(started, nullptr);  // a synchronous painter has run and is gone
            // Each frame waits at least one sleep of 100 ms.
            EXPECT_GE(timer.elapsed(), c.Expected.filter("OnFramePaint").size() * 100 - 50);
        }
        EXPECT_EQ(log.Events, c.Expected);
        ASSERT_EQ(log.Senders.size(), size_t(log.Events.size()));
        ASSERT_NE(log.Senders.front(), nullptr);
        for (TGIFPainter* sender : log.Senders) EXPECT_EQ(sender, log.Senders.front());
        if (started) {
            EXPECT_EQ(log.Senders.front(), started);
        }
        EXPECT_EQ(canvas.pixel(1, 1), c.Options & DrawAnimate ? qRgb(0, 0, 255) : qRgb(255, 0, 0));
        EXPECT_EQ(image.PainterCount(), 0);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // An empty rectangle paints nothing and fires nothing.
    log.clear();
    QImage canvas(2, 2, QImage::Format_RGB32);
    QPainter painter(&canvas);
    EXPECT_EQ(image.CreatePainter(&painter, QRect(), DrawAnimate), nullptr);
    EXPECT_TRUE(log.Events.isEmpty());
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
    image.OnFramePaint = [&](TGIFPainter* p) {
        if (p->CurrentFrame == 1) seen << QString::number(canvas.pixel(0, 0), 16);
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
    EXPECT_EQ(log.Events.first(), "OnPainterStart");
    EXPECT_EQ(log.Events.last(), "OnPainterEnd");
    EXPECT_FALSE(log.Events.contains("OnFramePaint 1"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
