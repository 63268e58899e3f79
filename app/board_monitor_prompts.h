#pragma once

// What the board monitor asks of the user, behind small interfaces so that tests answer without
// a dialog. Neither may block: playback serves the window's events between its blocks, so a
// modal dialog would hold the output until the user answered.

#include <QString>

#include <functional>

class QWidget;

namespace arb {

class RecordFilePicker {
  public:
    virtual ~RecordFilePicker() = default;
    // Asks for the file to record to and calls `chosen` with its path once the user has picked
    // one; never, if the user cancels. `parent` outlives the question.
    virtual void pickRecordFile(QWidget& parent, std::function<void(const QString&)> chosen) = 0;
};

class MonitorMessages {
  public:
    virtual ~MonitorMessages() = default;
    virtual void showMonitorMessage(QWidget& parent, const QString& text,
                                    const QString& caption) = 0;
};

// A save dialog that stays open beside the window while playback goes on.
class DialogRecordFilePicker final : public RecordFilePicker {
  public:
    void pickRecordFile(QWidget& parent, std::function<void(const QString&)> chosen) override;
};

// A warning box that does not hold the event loop.
class BoxMonitorMessages final : public MonitorMessages {
  public:
    void showMonitorMessage(QWidget& parent, const QString& text, const QString& caption) override;
};

} // namespace arb
