#include "recording_host.h"

#include "output/sample_conversion.h"

namespace arb::test {

void RecordingHost::note(std::string line) {
    if (journal != nullptr)
        journal->push_back(std::move(line));
}

void RecordingHost::ServePendingEvents() {
    ++eventsServed;
    note("ServePendingEvents");
    if (onServePendingEvents) {
        const auto serve = onServePendingEvents; // the callback may replace itself
        serve();
    }
}

void RecordingHost::UntickRepeat() {
    ++repeatUnticks;
    repeat = false;
    note("UntickRepeat");
}

void RecordingHost::ShowPlayReport(const std::string& text) {
    reports.push_back(text);
    note("ShowPlayReport(" + text + ")");
}

void RecordingHost::SetCaption(const std::string& text) {
    captions.push_back(text);
    note("SetCaption(" + text + ")");
}

void RecordingHost::ShowWarning(const std::string& text, const std::string& caption) {
    warnings.push_back({text, caption});
    note("ShowWarning(" + text + " | " + caption + ")");
}

void RecordingHost::ClearCodePane() {
    ++codePaneClears;
    note("ClearCodePane");
}

void RecordingHost::ShowCodeListing(const CodeListing& listing) {
    listings.push_back(listing.text());
    note("ShowCodeListing");
}

} // namespace arb::test
