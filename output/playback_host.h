#pragma once

#include <string>

namespace arb {

class CodeListing;

// What a playback run needs of the window. The window implements it; tests record it.
class PlaybackHost {
  public:
    virtual ~PlaybackHost() = default;

    virtual void ServePendingEvents() = 0; // once per block; other handlers may run here
    virtual bool RepeatTicked() const = 0; // "Repeat While Checked"
    virtual void UntickRepeat() = 0;
    virtual void ShowPlayReport(const std::string& text) = 0; // status line, repainted at once
    virtual void SetCaption(const std::string& text) = 0;     // the window's title
    virtual void ShowWarning(const std::string& text, const std::string& caption) = 0;
    virtual void ClearCodePane() = 0;
    virtual bool ShowRawDataTicked() const = 0;
    virtual void ShowCodeListing(const CodeListing& listing) = 0;
};

} // namespace arb
