#pragma once
// The help as a Help button opens it: the opener seam records every URL, and a URL is checked
// against the real help file (copied into the test's data directory) for a topic of its own.
#include "platform/help.h"
#include "platform/shell_open.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>
#include <gtest/gtest.h>

namespace testing_support {

// Puts the program's help file into the data directory, as the build does beside the programs.
inline void copyHelpFileTo(const QString& dataDirectory) {
    const QString source = qEnvironmentVariable("LUMENFOLD_SOURCE_DIR") + "/data/" + platform::HelpFileName;
    ASSERT_TRUE(QFile::copy(source, dataDirectory + platform::HelpFileName)) << source.toStdString();
}

class OpenedHelp {
public:
    OpenedHelp() {
        platform::setDocumentOpenerForTesting([this](const QString& target) {
            urls << target;
            return true;
        });
    }
    ~OpenedHelp() { platform::setDocumentOpenerForTesting([](const QString&) { return true; }); }

    // The last URL opened is the help file at the topic of the context (0: at its contents), and
    // the file has that topic with some text.
    void expectTopic(int context, const std::string& where) const {
        ASSERT_FALSE(urls.isEmpty()) << where;
        const QUrl url(urls.last());
        EXPECT_EQ(url.toLocalFile(), platform::helpFile()) << where;
        EXPECT_TRUE(url.toLocalFile().endsWith(".html")) << where;
        const QString anchor = context ? "context" + QString::number(context) : QString();
        EXPECT_EQ(url.fragment(), anchor) << where;
        if (anchor.isEmpty()) return;
        QFile file(platform::helpFile());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QRegularExpression topic("id=\"" + anchor + "\">[^<]+</h2>\\s*<p>\\w");
        EXPECT_TRUE(topic.match(QString::fromUtf8(file.readAll())).hasMatch())
            << where << ": no topic " << anchor.toStdString();
    }

    QStringList urls;
};

}  // namespace testing_support
