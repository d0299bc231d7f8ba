// The thumbnail workers: outcomes come back in the order asked for, whatever
// order the workers finish in, and waiting can be given up.
#include "imaging/pixel_graphic.h"
#include "site_manager/builder/thumbnail_pool.h"
#include "tests/common/temp_data_dir.h"

#include <gtest/gtest.h>
#include <QImage>

using testing_support::TempDataDir;

TEST(BuilderThumbnailPool, OutcomesArriveInOrderWithFailuresInTheirPlace) {
    TempDataDir data;
    QStringList sources;
    QList<QSize> sizes;
    for (int i = 0; i < 12; ++i) {
        if (i % 5 == 3) {
            sources << data.write(QString("broken%1.jpg").arg(i), "not a picture");
            sizes << QSize();
            continue;
        }
        // Sizes differ so that the workers finish out of order.
        const QSize size(40 + (i * 97) % 600, 30 + (i * 53) % 400);
        QImage image(size, QImage::Format_RGB32);
        image.fill(QColor::fromHsv(i * 30, 200, 200));
        const QString path = data.file(QString("image%1.jpg").arg(i));
        ASSERT_TRUE(image.save(path, "JPG"));
        sources << path;
        sizes << size;
    }
    ThumbnailPool pool(sources, 50, 50, 4);
    EXPECT_EQ(pool.threadCount(), 4);
    for (int i = 0; i < sources.size(); ++i) {
        const std::optional<ShrunkImage> outcome = pool.takeNext({});
        ASSERT_TRUE(outcome.has_value()) << i;
        if (!sizes[i].isValid()) {
            EXPECT_EQ(outcome->Outcome, ShrunkImage::Result::Unreadable) << i;
            continue;
        }
        ASSERT_EQ(outcome->Outcome, ShrunkImage::Result::Made) << i;
        const QSize expected = sizes[i].scaled(50, 50, Qt::KeepAspectRatio);
        EXPECT_NEAR(outcome->Pixels->GetWidth(), std::min(sizes[i].width(), expected.width()), 1) << i;
        EXPECT_NEAR(outcome->Pixels->GetHeight(), std::min(sizes[i].height(), expected.height()), 1) << i;
    }
    EXPECT_FALSE(pool.takeNext({}).has_value());  // nothing more to take
}

TEST(BuilderThumbnailPool, StoppedWorkersFinishOnlyTheImagesInFlight) {
    TempDataDir data;
    QImage image(3000, 2000, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    const QString path = data.file("large.jpg");
    ASSERT_TRUE(image.save(path, "JPG"));
    ThumbnailPool pool(QStringList(40, path), 100, 100, 2);
    ASSERT_TRUE(pool.takeNext({}).has_value());
    pool.stop();
    // At most one image per worker was started and not taken; nothing else
    // follows.
    int more = 0;
    for (;;) {
        int waits = 0;
        if (!pool.takeNext([&] { return ++waits < 10; })) break;
        ++more;
    }
    EXPECT_LE(more, 2);
}
