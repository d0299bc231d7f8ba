#include "tests/common/message_responder.h"

#include <QDialog>
#include <gtest/gtest.h>

namespace testing_support {

void installFailingResponders() {
    platform::setMessageResponder([](const platform::MessageRequest& request) {
        ADD_FAILURE() << "Message box outside a script: " << request.text.toStdString();
        return request.buttons == platform::MessageButtons::OK ? platform::MessageResult::OK
                                                               : platform::MessageResult::Cancel;
    });
    platform::setDialogResponder([](QDialog& dialog) {
        ADD_FAILURE() << "Dialog outside a script: " << dialog.metaObject()->className();
        return int(platform::mrCancel);
    });
}

MessageScript::MessageScript() {
    platform::setMessageResponder([this](const platform::MessageRequest& request) {
        texts_ << request.text;
        requests_.push_back(request);
        if (answers_.empty()) {
            ADD_FAILURE() << "Unexpected message box: " << request.text.toStdString();
            return request.buttons == platform::MessageButtons::OK ? platform::MessageResult::OK
                                                                   : platform::MessageResult::Cancel;
        }
        const platform::MessageResult result = answers_.front();
        answers_.pop_front();
        return result;
    });
    platform::setDialogResponder([this](QDialog& dialog) {
        ++dialogsShown_;
        if (dialogHandlers_.empty()) {
            ADD_FAILURE() << "Unexpected dialog: " << dialog.metaObject()->className();
            return int(platform::mrCancel);
        }
        auto handler = std::move(dialogHandlers_.front());
        dialogHandlers_.pop_front();
        return handler(dialog);
    });
}

MessageScript::~MessageScript() {
    installFailingResponders();
    EXPECT_TRUE(answers_.empty()) << answers_.size() << " expected message box(es) never appeared";
    EXPECT_TRUE(dialogHandlers_.empty()) << dialogHandlers_.size() << " expected dialog(s) never appeared";
}

MessageScript& MessageScript::answer(platform::MessageResult result) {
    answers_.push_back(result);
    return *this;
}

MessageScript& MessageScript::onDialog(std::function<int(QDialog&)> handler) {
    dialogHandlers_.push_back(std::move(handler));
    return *this;
}

}  // namespace testing_support
