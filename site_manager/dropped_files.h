#pragma once
// What a drop on an image list took into the rotation. Its source is told "moved" only when every
// dropped file was taken, so that a source which deletes its files after a move never loses a
// photo the rotation did not take.
#include <QSet>
#include <QString>

class DroppedFiles {
public:
    // One file tried: placedAs is the name it was put under in the rotation, empty when it was not.
    void tried(const QString& placedAs) {
        // A later file put under the same name replaced an earlier one, which was not taken after all.
        if (placedAs.isEmpty() || placed_.contains(placedAs)) whole_ = false;
        placed_.insert(placedAs);
    }
    // A file, or the rest of the drop, was left out.
    void leftOut() { whole_ = false; }
    bool everyFileTaken() const { return whole_; }

private:
    QSet<QString> placed_;
    bool whole_ = true;
};
