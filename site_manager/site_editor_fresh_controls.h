#pragma once
// The rotation controls of the site editor and the layout settings dialog as a freshly started
// program shows them, before it has loaded any rotation. The editor shows these while it could
// load no rotation, so that nothing the site edited before left in the controls passes for this
// site's settings.
#include <QList>
#include <functional>

class TdlgEditSite;

class FreshRotationControls {
public:
    // Takes what the editor's template, header and footer controls and every setting of the
    // layout settings dialog hold now.
    explicit FreshRotationControls(TdlgEditSite& editor);
    // Puts those values back, running the controls' own change handling.
    void restore() const;

private:
    QList<std::function<void()>> restorers_;
};
