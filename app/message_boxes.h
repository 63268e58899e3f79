#pragma once

#include <QString>

namespace arb {

// Every message box of the window goes through this interface, so tests can record the texts
// instead of blocking on a dialog.
class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    // A box without owner window, with the warning icon and one OK button (board errors).
    virtual void warning(const QString& text, const QString& caption) = 0;
    // The display of an error that left an event handler: its text, and the program goes on.
    virtual void error(const QString& text) = 0;
};

// The real boxes, shown with QMessageBox and waited for.
class QtMessageBoxes : public MessageBoxes {
  public:
    void warning(const QString& text, const QString& caption) override;
    void error(const QString& text) override;
};

} // namespace arb
