#include "site_manager/dropped_files.h"

#include "platform/dialogs.h"
#include "platform/replacement_batch.h"
#include "site_manager/site_editor.h"

#include <QFileInfo>
#include <QSet>
#include <exception>

namespace {

// Whether a drop was taken whole: every file copied as it is, each under a name of its own.
class DroppedFiles {
public:
    void tried(const PlacedImage& placed) {
        // A later file put under the same name replaced an earlier one, which was not taken after
        // all; a converted photo is not the file the source holds.
        if (placed.name.isEmpty() || placed.converted || placed_.contains(placed.name)) whole_ = false;
        placed_.insert(placed.name);
    }
    // A file, or the rest of the drop, was left out.
    void leftOut() { whole_ = false; }
    bool everyFileTaken() const { return whole_; }

private:
    QSet<QString> placed_;
    bool whole_ = true;
};

}  // namespace

bool addDroppedImages(TdlgEditSite& editor, const QString& directory, const QStringList& files) {
    // The files of one drop reach the disk together.
    platform::ReplacementBatch batch;
    DroppedFiles dropped;
    for (const QString& source : files) {
        // addimage itself stops the drop, with the same-folder box, at a file of the rotation.
        PlacedImage placed;
        bool goOn = true;
        try {
            goOn = editor.addimage(source, directory + QFileInfo(source).fileName(), &placed, &batch);
        } catch (const std::exception&) {
            dropped.leftOut();  // this file is left out; the others still come
            continue;
        }
        dropped.tried(placed);
        if (!goOn) {
            dropped.leftOut();
            break;
        }
    }
    const QStringList failed = batch.finish();
    if (!failed.isEmpty()) {
        dropped.leftOut();
        platform::showWarning(copyErrorText(failed.first()));
    }
    return dropped.everyFileTaken();
}

QString copyErrorText(const QString& fileName) {
    return "Error encountered copying the file, " + fileName +
           "!  You may be out of disk space or do not have write access to the directory you are copying to";
}
