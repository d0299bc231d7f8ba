// Files dragged out of a window and dropped onto a list: the URI list both sides agree on, the
// drop effect the keys choose, and the events a drop target raises.
#include "components/drop_file_source.h"
#include "components/drop_file_target.h"

#include <QCoreApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QListWidget>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

const QString uriList = "text/uri-list";

struct Recorded {
    QStringList events;
    QStringList droppedFiles;
};

// A list with a drop target whose events are written down.
class DropTargetTest : public ::testing::Test {
protected:
    void SetUp() override {
        target.Register(&list);
        target.OnEnter = [this](QObject*, QPoint) { seen.events << "enter"; };
        target.OnDragOver = [this](QObject*, QPoint) { seen.events << "over"; };
        target.OnLeave = [this](QObject*) { seen.events << "leave"; };
        target.OnDrop = [this](QObject*, TDragType type, QPoint) {
            seen.events << QString("drop %1").arg(int(type));
            seen.droppedFiles = target.Files;
            return true;
        };
    }

    // Drags the data over the list with the keys held and drops it; returns the drop's action.
    Qt::DropAction dragAndDrop(QMimeData& data, Qt::KeyboardModifiers keys, Qt::DropActions offered = allActions) {
        QDragEnterEvent enter(QPoint(5, 5), offered, &data, Qt::LeftButton, keys);
        QCoreApplication::sendEvent(list.viewport(), &enter);
        if (!enter.isAccepted()) return Qt::IgnoreAction;
        QDragMoveEvent move(QPoint(6, 6), offered, &data, Qt::LeftButton, keys);
        QCoreApplication::sendEvent(list.viewport(), &move);
        QDropEvent drop(QPointF(7, 7), offered, &data, Qt::NoButton, keys);
        QCoreApplication::sendEvent(list.viewport(), &drop);
        return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
    }

    static constexpr Qt::DropActions allActions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    QListWidget list;
    TDropFileTarget target;
    Recorded seen;
};

}  // namespace

TEST(DropFileSourceTest, OffersPercentEncodedFileUrisAndReportsTheTargetsChoiceWithinTheAllowedKinds) {
    TDropFileSource source;
    source.Files = {"/photos/a b.jpg", QString::fromUtf8("/photos/\xC3\xA9.jpg"), "/photos/100%.jpg"};
    std::unique_ptr<QMimeData> data(source.createMimeData());
    EXPECT_EQ(data->formats(), QStringList{uriList});
    EXPECT_EQ(data->data(uriList),
              "file:///photos/a%20b.jpg\r\nfile:///photos/%C3%A9.jpg\r\nfile:///photos/100%25.jpg\r\n");
    QStringList back;
    for (const QUrl& url : data->urls()) back << url.toLocalFile();
    EXPECT_EQ(back, source.Files);

    // The drag result follows the target's choice within the allowed kinds.
    struct Case {
        TDragTypes allowed;
        Qt::DropAction chosen;
        TDragResult result;
    };
    const Case cases[] = {
        {{TDragType::dtCopy}, Qt::CopyAction, TDragResult::drCopy},
        {{TDragType::dtCopy, TDragType::dtMove}, Qt::MoveAction, TDragResult::drMove},
        {{TDragType::dtLink}, Qt::LinkAction, TDragResult::drLink},
        {{TDragType::dtCopy}, Qt::MoveAction, TDragResult::drCancel},  // not allowed
        {{TDragType::dtCopy}, Qt::IgnoreAction, TDragResult::drCancel},
        {{}, Qt::CopyAction, TDragResult::drCancel},
    };
    for (const Case& c : cases) {
        TDropFileSource source;
        source.Dragtypes = c.allowed;
        source.Files = {"/photos/a.jpg"};
        Qt::DropActions offered;
        TDropFileSource::setDragRunnerForTesting([&](QDrag&, Qt::DropActions allowed) {
            offered = allowed;
            return c.chosen;
        });
        EXPECT_EQ(source.Execute(), c.result) << int(c.chosen);
        EXPECT_EQ(offered, c.allowed.actions());
        EXPECT_EQ(source.Files, QStringList{"/photos/a.jpg"});  // a drag leaves the list alone
    }
    TDropFileSource::setDragRunnerForTesting({});

    // The real drag loop: with no pointer on the offscreen platform it ends at once, as a cancel.
    if (QGuiApplication::platformName() == "offscreen") {
        TDropFileSource real;
        real.Files = {"/photos/a.jpg"};
        EXPECT_EQ(real.Execute(), TDragResult::drCancel);
    }

    TDropFileSource empty;
    EXPECT_EQ(empty.Execute(), TDragResult::drCancel);
    EXPECT_FALSE(empty.CopyToClipboard());
}

TEST_F(DropTargetTest, KeysChooseTheEffectAmongTheAllowedKinds) {
    struct Case {
        TDragTypes allowed;
        Qt::KeyboardModifiers keys;
        DropEffect effect;
    };
    const Qt::KeyboardModifiers ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
    const Case cases[] = {
        {{TDragType::dtCopy, TDragType::dtMove, TDragType::dtLink}, Qt::NoModifier, Qt::CopyAction},
        {{TDragType::dtCopy, TDragType::dtMove, TDragType::dtLink}, Qt::ControlModifier, Qt::CopyAction},
        {{TDragType::dtCopy, TDragType::dtMove, TDragType::dtLink}, Qt::ShiftModifier, Qt::MoveAction},
        {{TDragType::dtCopy, TDragType::dtMove, TDragType::dtLink}, ctrlShift, Qt::LinkAction},
        {{TDragType::dtCopy, TDragType::dtLink}, Qt::ShiftModifier, Qt::CopyAction},  // no move allowed
        {{TDragType::dtCopy, TDragType::dtMove}, ctrlShift, Qt::CopyAction},          // Shift rule needs Ctrl up
        {{TDragType::dtMove, TDragType::dtLink}, Qt::NoModifier, Qt::MoveAction},
        {{}, Qt::ShiftModifier, Qt::IgnoreAction},
    };
    for (const Case& c : cases) {
        target.Dragtypes = c.allowed;
        EXPECT_EQ(target.GetDropEffect(c.keys), c.effect) << int(c.keys) << " " << int(c.allowed.actions());
    }
}

TEST_F(DropTargetTest, ADropRaisesItsEventsWithTheFilesWhichAreClearedAfterwards) {
    TDropFileSource source;
    source.Files = {"/photos/a b.jpg", "/photos/c.jpg"};
    std::unique_ptr<QMimeData> data(source.createMimeData());

    EXPECT_EQ(dragAndDrop(*data, Qt::ShiftModifier), Qt::MoveAction);
    EXPECT_EQ(seen.events, (QStringList{"enter", "over", QString("drop %1").arg(int(TDragType::dtMove))}));
    EXPECT_EQ(seen.droppedFiles, source.Files);
    EXPECT_TRUE(target.Files.isEmpty());

    // Moving away raises OnLeave.
    seen = {};
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list.viewport(), &enter);
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(list.viewport(), &leave);
    EXPECT_EQ(seen.events, (QStringList{"enter", "leave"}));
}

TEST_F(DropTargetTest, NoFilesOrNoSingleEffectMeansNoDrop) {
    // Text and remote URLs are no files: the drag never enters.
    QMimeData text;
    text.setText("hello");
    EXPECT_EQ(dragAndDrop(text, Qt::NoModifier), Qt::IgnoreAction);
    QMimeData remote;
    remote.setUrls({QUrl("https://example.org/a.jpg")});
    EXPECT_EQ(dragAndDrop(remote, Qt::NoModifier), Qt::IgnoreAction);
    EXPECT_TRUE(seen.events.isEmpty());

    // A handler answering copy and move together leaves no single effect.
    target.OnGetDropEffect = [](QObject*, Qt::KeyboardModifiers, DropEffect& effect) {
        effect = Qt::CopyAction | Qt::MoveAction;
    };
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/photos/a.jpg")});
    EXPECT_EQ(dragAndDrop(files, Qt::NoModifier), Qt::IgnoreAction);
    EXPECT_EQ(seen.events, (QStringList{"enter", "over"}));
    EXPECT_TRUE(target.Files.isEmpty());
}

TEST_F(DropTargetTest, ADragFromTheSourceLandsOnTheTargetAndRegistrationCanMove) {
    TDropFileSource source;
    source.Files = {"/photos/x.jpg"};
    TDropFileSource::setDragRunnerForTesting([&](QDrag& drag, Qt::DropActions allowed) {
        return dragAndDrop(*drag.mimeData(), Qt::NoModifier, allowed);
    });
    EXPECT_EQ(source.Execute(), TDragResult::drCopy);
    TDropFileSource::setDragRunnerForTesting({});
    EXPECT_EQ(seen.droppedFiles, source.Files);

    // Registering another control moves the registration; the first list takes no more drops.
    QListWidget other;
    target.Register(&other);
    EXPECT_EQ(target.control(), &other);
    EXPECT_FALSE(list.viewport()->acceptDrops());
    EXPECT_TRUE(other.viewport()->acceptDrops());
    seen = {};
    std::unique_ptr<QMimeData> data(source.createMimeData());
    EXPECT_EQ(dragAndDrop(*data, Qt::NoModifier), Qt::IgnoreAction);
    EXPECT_TRUE(seen.events.isEmpty());

    // Unregistering after the control is gone is harmless.
    {
        auto* doomed = new QListWidget;
        target.Register(doomed);
        delete doomed;
    }
    target.Unregister();
    EXPECT_EQ(target.control(), nullptr);
}
