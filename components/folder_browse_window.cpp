#include "components/folder_browse_window.h"

#include "components/shell_tree.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QResizeEvent>
#include <QVBoxLayout>

namespace {
const QString kEllipsis = QStringLiteral("...");
}

TElidedLabel::TElidedLabel(QWidget* parent) : QLabel(parent) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setTextFormat(Qt::PlainText);
}

void TElidedLabel::setFullText(const QString& text, bool pathMode) {
    fullText_ = text;
    pathMode_ = pathMode;
    refit();
}

void TElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    refit();
}

void TElidedLabel::refit() {
    const int width = contentsRect().width();
    const QFontMetrics metrics = fontMetrics();
    setText(pathMode_ ? ElidePath(fullText_, metrics, width) : metrics.elidedText(fullText_, Qt::ElideRight, width));
}

QString TElidedLabel::ElidePath(const QString& path, const QFontMetrics& metrics, int width) {
    if (metrics.horizontalAdvance(path) <= width) return path;
    const int slash = path.lastIndexOf('/');
    const QString last = slash >= 0 ? path.mid(slash) : path;  // with its "/"
    const QString head = slash >= 0 ? path.left(slash) : QString();
    const auto fits = [&](int n) { return metrics.horizontalAdvance(head.left(n) + kEllipsis + last) <= width; };
    if (!fits(0)) {
        // Not even the last component fits: it is shortened at its end.
        return kEllipsis + metrics.elidedText(last, Qt::ElideRight, width - metrics.horizontalAdvance(kEllipsis));
    }
    int low = 0, high = int(head.size());  // the longest head that fits, by halving
    while (low < high) {
        const int mid = (low + high + 1) / 2;
        if (fits(mid)) low = mid;
        else high = mid - 1;
    }
    return head.left(low) + kEllipsis + last;
}

TFolderBrowseWindow::TFolderBrowseWindow(QWidget* parent) : platform::ModalDialog(parent) {
    lblText = new QLabel;
    lblText->setWordWrap(true);
    lblText->setObjectName("lblText");
    tree = new TShellTree;
    tree->setObjectName("tree");
    lblStatus = new TElidedLabel;
    lblStatus->setObjectName("lblStatus");
    btnOk = new QPushButton("OK");
    btnOk->setObjectName("btnOk");
    btnOk->setDefault(true);
    btnCancel = new QPushButton("Cancel");
    btnCancel->setObjectName("btnCancel");
    connect(btnCancel, &QPushButton::clicked, this, [this] { closeWithResult(platform::mrCancel); });

    buttonLine = new QHBoxLayout;
    buttonLine->addStretch();
    buttonLine->addWidget(btnOk);
    buttonLine->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblText);
    layout->addWidget(lblStatus);
    layout->addWidget(tree, 1);
    layout->addLayout(buttonLine);
    resize(330, 380);
}

void TFolderBrowseWindow::FormShow() { tree->setFocus(); }
