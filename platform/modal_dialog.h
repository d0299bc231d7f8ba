#pragma once
// Base of the programs' dialogs: closing the window counts as Cancel, buttons end the dialog with
// a modal result, and showing the dialog runs its FormShow and then fits it to the screen.
#include "platform/dialogs.h"
#include "platform/window_fit.h"

#include <QDialog>
#include <initializer_list>

class QHBoxLayout;
class QPushButton;

namespace platform {

class ModalDialog : public QDialog {
    Q_OBJECT
public:
    explicit ModalDialog(QWidget* parent = nullptr);
    // Shows the dialog through the dialog seam and returns its modal result.
    int ShowModal() { return showModal(*this); }
    int ModalResult() const { return result(); }

public slots:
    void reject() override { done(mrCancel); }
    void closeWithResult(int modalResult) { done(modalResult); }

protected:
    // The row of dialog buttons, right-aligned.
    static QHBoxLayout* buttonRow(std::initializer_list<QPushButton*> buttons);
    void showEvent(QShowEvent* event) override;
    // Runs each time the dialog is shown, before it takes input.
    virtual void FormShow() {}
    // Dialogs open over their parent unless they ask to be centred on the screen.
    void setPlacement(WindowPlacement placement) { placement_ = placement; }

private:
    WindowPlacement placement_ = WindowPlacement::KeepPlace;
};

}  // namespace platform
