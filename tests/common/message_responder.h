#pragma once
// Answers the programs' message boxes and modal dialogs in tests. Every box is recorded; each is
// answered from the queue of expected answers, and a box nobody expected fails the test.
#include "platform/dialogs.h"

#include <QStringList>
#include <deque>
#include <functional>

namespace testing_support {

// Installed for the whole test run: any box or dialog that no MessageScript expects fails the
// test instead of waiting for a user who is not there.
void installFailingResponders();

class MessageScript {
public:
    MessageScript();   // installs itself as the responder for boxes and dialogs
    ~MessageScript();  // restores the failing responders; unanswered expectations fail the test

    // Queues the answer for the next box.
    MessageScript& answer(platform::MessageResult result);
    // Queues a handler for the next modal dialog: it may fill in and click the dialog, and
    // returns the modal result.
    MessageScript& onDialog(std::function<int(QDialog&)> handler);

    const QStringList& texts() const { return texts_; }
    const std::vector<platform::MessageRequest>& requests() const { return requests_; }
    QString lastText() const { return texts_.isEmpty() ? QString() : texts_.last(); }
    void clear() { texts_.clear(); requests_.clear(); }
    int dialogsShown() const { return dialogsShown_; }

private:
    std::deque<platform::MessageResult> answers_;
    std::deque<std::function<int(QDialog&)>> dialogHandlers_;
    QStringList texts_;
    std::vector<platform::MessageRequest> requests_;
    int dialogsShown_ = 0;
};

}  // namespace testing_support
