// Test entry point: a headless QApplication around GoogleTest.
#include "platform/held_key_filter.h"
#include "platform/shell_open.h"
#include "tests/common/message_responder.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Where the built programs and the sources are, also when a test binary is run by hand.
    if (qEnvironmentVariableIsEmpty("LUMENFOLD_BIN_DIR")) qputenv("LUMENFOLD_BIN_DIR", LUMENFOLD_BIN_DIR_DEFAULT);
    if (qEnvironmentVariableIsEmpty("LUMENFOLD_SOURCE_DIR"))
        qputenv("LUMENFOLD_SOURCE_DIR", LUMENFOLD_SOURCE_DIR_DEFAULT);
    QApplication app(argc, argv);
    // The tests run the programs' forms in this application, with the rule both programs install.
    platform::installHeldEnterFilter(app);
    ::testing::InitGoogleTest(&argc, argv);
    testing_support::installFailingResponders();
    // Nothing a test does may start a browser or mail program on the machine.
    platform::setDocumentOpenerForTesting([](const QString&) { return true; });
    return RUN_ALL_TESTS();
}
