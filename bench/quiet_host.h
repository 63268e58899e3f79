#pragma once

#include "bench/bench_support.h"
#include "output/playback_host.h"
#include "output/sample_conversion.h"

namespace arb::bench {

// A host that serves nothing and asks for no repetition, so a run ends after its first block;
// it only touches the listing it is shown.
class QuietHost : public PlaybackHost {
  public:
    void ServePendingEvents() override {}
    bool RepeatTicked() const override { return false; }
    void UntickRepeat() override {}
    void ShowPlayReport(const std::string&) override {}
    void SetCaption(const std::string&) override {}
    void ShowWarning(const std::string&, const std::string&) override {}
    void ClearCodePane() override {}
    bool ShowRawDataTicked() const override { return true; }
    void ShowCodeListing(const CodeListing& listing) override { Keep(listing.text().size()); }
};

} // namespace arb::bench
