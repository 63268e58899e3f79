#pragma once

#include "output/playback_host.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace arb::test {

// A window stand-in for playback runs: records what the run shows and lets the test set the two
// check boxes and act while events are served.
class RecordingHost : public PlaybackHost {
  public:
    struct Warning {
        std::string text;
        std::string caption;
        bool operator==(const Warning&) const = default;
    };

    // Set by the test.
    bool repeat = false;      // "Repeat While Checked"
    bool showRawData = false; // "Show Raw Data"
    std::function<void()> onServePendingEvents;
    std::vector<std::string>* journal = nullptr; // shared with a RecordingBoard for call order

    // Recorded.
    std::vector<std::string> reports;  // every status text, in order
    std::vector<std::string> captions; // every window caption set
    std::vector<Warning> warnings;
    std::vector<std::string> listings; // the text of every code listing shown
    std::size_t codePaneClears = 0;
    std::size_t eventsServed = 0;
    std::size_t repeatUnticks = 0;

    void ServePendingEvents() override;
    bool RepeatTicked() const override { return repeat; }
    void UntickRepeat() override;
    void ShowPlayReport(const std::string& text) override;
    void SetCaption(const std::string& text) override;
    void ShowWarning(const std::string& text, const std::string& caption) override;
    void ClearCodePane() override;
    bool ShowRawDataTicked() const override { return showRawData; }
    void ShowCodeListing(const CodeListing& listing) override;

  private:
    void note(std::string line);
};

} // namespace arb::test
