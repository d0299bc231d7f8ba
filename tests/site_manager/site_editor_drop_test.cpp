// Files dragged from a file manager onto the site editor's image list arrive through the shared
// drop target: names with blanks, accents and "%" are copied into the rotation.
#include "components/drop_file_source.h"
#include "components/drop_file_target.h"
#include "components/file_list_box.h"
#include "tests/site_manager/drop_events.h"
#include "tests/site_manager/main_window_fixture.h"

#include <QFileInfo>
#include <QImage>
#include <QLabel>

using testing_support::MessageScript;

namespace {

class SiteEditorDropTest : public MainWindowTest {};

}  // namespace

TEST_F(SiteEditorDropTest, FilesDroppedOnTheImageListAreAddedToTheRotation) {
    writeGardenSite(true);
    startWithGardenSite();
    const QString outside = data.path() + "incoming/";
    QDir().mkpath(outside);
    TDropFileSource source;
    for (const QString name : {"a b.jpg", "\u00e9.jpg", "100%.jpg"}) {
        QImage image(32, 24, QImage::Format_RGB32);
        image.fill(Qt::blue);
        ASSERT_TRUE(image.save(outside + name, "JPEG"));
        source.Files << outside + name;
    }
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        EXPECT_EQ(editor.DropFileTarget1->control(), editor.FileBox);
        QMimeData text;
        text.setText("no files here");
        EXPECT_FALSE(dropOn(editor.FileBox->viewport(), text));

        std::unique_ptr<QMimeData> files(source.createMimeData());
        EXPECT_TRUE(dropOn(editor.FileBox->viewport(), *files));
        EXPECT_EQ(editor.FileBox->fileNames(), (QStringList{"100%.jpg", "a b.jpg", "\u00e9.jpg"}));
        EXPECT_TRUE(editor.DropFileTarget1->Files.isEmpty());
    });
    for (const QString name : {"a b.jpg", "\u00e9.jpg", "100%.jpg"})
        EXPECT_TRUE(QFileInfo::exists(siteDir + "Rotation_1/" + name)) << name.toStdString();
}
