// A soak run of the whole program: the real main window on the simulated board in real time,
// repeating playback for a long while (600 s unless told otherwise) while, from inside the
// playback's own event serving, files are loaded every few seconds, the rate moves between the
// slider and the presets, and the stream is restarted now and then so the loaded table plays.
// Each interval it prints the memory in use and what the board and the window did; at the end it
// compares memory from first to last interval and separates the underruns a load explains from
// the others.
//
//   soak [seconds [report-interval-seconds]]
//
// Exit status: 0 when nothing unexpected happened (no message box, no rejected board call, every
// load as expected) and memory stayed flat; 1 otherwise.

#include "app/main_form.h"
#include "app/message_boxes.h"
#include "board/simulated_board.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cfenv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kLoadEvery = 3s;
constexpr auto kRateEvery = 1300ms;
constexpr auto kRestartEvery = 25s; // a new run picks up the table loaded meanwhile
// An underrun detected this soon after a load ended is put down to the load.
constexpr auto kLoadShadow = 100ms;
// Growth of the peak resident memory, first interval to last, still counted as flat.
constexpr double kFlatGrowthMiB = 8.0;

// The files loaded in turn: different sizes and column counts, and one that fails to load.
struct SoakFile {
    const char* name;
    int rows;
    int columns;
    // false: the last column holds no number until, near the end, one beyond a double's range,
    // which fails the load after most of the file has been read
    bool loads;
};
constexpr SoakFile kFiles[] = {
    {"a_small.tsv", 400, 1, true},      {"b_medium.tsv", 6000, 4, true},
    {"c_wide.tsv", 2000, 16, true},     {"d_large.tsv", 40000, 8, true},
    {"e_overflow.tsv", 3000, 2, false},
};

QByteArray FileText(const SoakFile& file) {
    QByteArray text = "time";
    for (int c = 1; c < file.columns; ++c) {
        text += "\tch" + QByteArray::number(c);
    }
    text += "\r\n";
    for (int r = 0; r < file.rows; ++r) {
        for (int c = 0; c < file.columns; ++c) {
            if (!file.loads && c + 1 == file.columns) {
                text += r == file.rows - 10 ? "1e999" : "-";
            } else {
                text += QByteArray::number(9.5 * std::sin(0.01 * r * (c + 1)), 'f', 4);
            }
            text += c + 1 < file.columns ? "\t" : "\r\n";
        }
    }
    return text;
}

double ResidentMiB() {
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) {
            resident = 0;
        }
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) /
           (1024.0 * 1024.0);
}

// Boxes would wait for a click: count them and say what they said.
class CountingBoxes : public arb::MessageBoxes {
  public:
    void warning(const QString& text, const QString& caption) override {
        ++count;
        std::printf("  box: %s | %s\n", qPrintable(caption), qPrintable(text));
    }
    void error(const QString& text) override {
        ++count;
        std::printf("  error box: %s\n", qPrintable(text));
    }
    int count = 0;
};

// What happened, in total and since the last report.
struct Counts {
    std::uint64_t scansSent = 0;
    std::uint64_t underruns = 0;
    std::uint64_t underrunsNearLoad = 0;
    std::uint64_t loads = 0;
    std::uint64_t loadFailures = 0;
    std::uint64_t unexpectedLoads = 0; // a load whose outcome was not the file's
    std::uint64_t rateChanges = 0;
    std::uint64_t restarts = 0;
    double longestLoadMs = 0;
};

class Soak {
  public:
    Soak(arb::SimulatedBoard& board, arb::TMainForm& form, CountingBoxes& boxes,
         Clock::duration length, Clock::duration reportEvery)
        : board_(board), form_(form), boxes_(boxes), length_(length), reportEvery_(reportEvery) {
        board_.setBlockObserver([this](const arb::ReceivedBlock& block) { onBlock(block); });
    }

    void start() {
        started_ = Clock::now();
        lastReport_ = started_;
        std::printf("%6s %9s %12s %9s %10s %6s %8s %6s %8s %9s\n", "min", "RSS MiB", "scans",
                    "underrun", "near-load", "loads", "failures", "rates", "restarts", "max load");
        every(kLoadEvery, [this] { loadNext(); });
        every(kRateEvery, [this] { changeRate(); });
        every(kRestartEvery, [this] { restart(); });
        every(reportEvery_, [this] {
            if (!finishing_) {
                report();
            }
        });
        QTimer::singleShot(std::chrono::duration_cast<std::chrono::milliseconds>(length_),
                           [this] { finish(); });
        QTimer::singleShot(0, [this] { startRepeating(); });
    }

    // Prints the summary; true when the run went as it should.
    bool summary() const {
        const Counts& t = total_;
        std::printf("\nsummary after %.0f s\n", seconds(Clock::now() - started_));
        std::printf("  scans sent %llu, loads %llu (%llu failed as planned), rate changes %llu, "
                    "restarts %llu, longest load %.1f ms\n",
                    ull(t.scansSent), ull(t.loads), ull(t.loadFailures), ull(t.rateChanges),
                    ull(t.restarts), t.longestLoadMs);
        std::printf("  underruns %llu: %llu within %lld ms of a load, %llu otherwise\n",
                    ull(t.underruns), ull(t.underrunsNearLoad),
                    static_cast<long long>(kLoadShadow.count()),
                    ull(t.underruns - t.underrunsNearLoad));
        bool good = true;
        if (peaks_.size() >= 2) {
            const double growth = peaks_.back() - peaks_.front();
            const bool flat = growth <= kFlatGrowthMiB;
            std::printf("  memory (peak RSS): first interval %.1f MiB, last %.1f MiB, "
                        "growth %+.1f MiB: %s\n",
                        peaks_.front(), peaks_.back(), growth, flat ? "flat" : "GROWING");
            good = good && flat;
        } else {
            std::printf("  memory: fewer than two intervals, no comparison\n");
        }
        std::printf("  message boxes %d, rejected board calls %llu, unexpected load outcomes "
                    "%llu\n",
                    boxes_.count, ull(board_.figures().rejectedCalls), ull(t.unexpectedLoads));
        good = good && boxes_.count == 0 && board_.figures().rejectedCalls == 0 &&
               t.unexpectedLoads == 0 && t.scansSent > 0;
        std::printf("  verdict: %s\n", good ? "ok" : "FAILED");
        return good;
    }

  private:
    static unsigned long long ull(std::uint64_t v) { return v; }
    static double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }
    static double millis(Clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count();
    }

    template <class Action> void every(Clock::duration period, Action action) {
        auto* timer = new QTimer(&form_);
        timer->setInterval(std::chrono::duration_cast<std::chrono::milliseconds>(period));
        QObject::connect(timer, &QTimer::timeout, timer, action);
        timer->start();
    }

    // Runs on the caller's thread inside DACOutputProcess: counts underruns and puts each down to
    // a load when one ended shortly before (loads happen between blocks).
    void onBlock(const arb::ReceivedBlock& block) {
        const arb::SimulatedBoardFigures figures = board_.figures();
        const Clock::time_point at{
            std::chrono::duration_cast<Clock::duration>(block.receivedAt.time_since_epoch())};
        for (; seenUnderruns_ < figures.underruns; ++seenUnderruns_) {
            ++total_.underruns;
            const bool nearLoad =
                std::any_of(loadWindows_.begin(), loadWindows_.end(),
                            [&](const std::pair<Clock::time_point, Clock::time_point>& w) {
                                return w.first <= at && at <= w.second + kLoadShadow;
                            });
            if (nearLoad) {
                ++total_.underrunsNearLoad;
            } else {
                // What the window was doing: the time it kept the board waiting against the
                // time the buffer lasts at the rate in force.
                std::printf("  underrun at %.1f s: %.0f ms since the previous block, the buffer "
                            "lasts %.0f ms at %.0f Hz; last rate change %.0f ms before\n",
                            seconds(at - started_), millis(at - previousBlockAt_),
                            1000.0 * figures.depthScans / figures.rateHz, figures.rateHz,
                            millis(at - lastRateChange_));
            }
        }
        previousBlockAt_ = at;
        total_.scansSent = figures.scansSent;
    }

    void startRepeating() {
        if (finishing_ || form_.PlaybackDepth() != 0 || form_.cbForever->isChecked()) {
            return; // still playing
        }
        if (!form_.cbForever->isEnabled()) {
            // No table (the last load failed): try again once the next load has come.
            QTimer::singleShot(250ms, [this] { startRepeating(); });
            return;
        }
        ++total_.restarts;
        form_.cbForever->click(); // plays until unticked; the timers run inside
    }

    // Unticks Repeat, so the run returns; the next one starts from the window's event loop.
    void restart() {
        if (finishing_ || !form_.cbForever->isChecked()) {
            return;
        }
        form_.cbForever->click();
        QTimer::singleShot(100ms, [this] { startRepeating(); });
    }

    void loadNext() {
        if (finishing_) {
            return;
        }
        const SoakFile& file = kFiles[nextFile_++ % std::size(kFiles)];
        const auto found = form_.MainFileList->findItems(file.name, Qt::MatchExactly);
        if (found.isEmpty()) {
            ++total_.unexpectedLoads;
            return;
        }
        form_.MainFileList->setCurrentItem(found.first()); // puts the name into the box
        const Clock::time_point begin = Clock::now();
        form_.LoadButton->click();
        const Clock::time_point end = Clock::now();
        loadWindows_.emplace_back(begin, end);
        while (loadWindows_.size() > 8) {
            loadWindows_.pop_front();
        }
        total_.longestLoadMs = std::max(total_.longestLoadMs, millis(end - begin));
        ++total_.loads;
        const bool loaded = form_.Rows() != nullptr;
        if (!loaded) {
            ++total_.loadFailures;
        }
        if (loaded != file.loads) {
            ++total_.unexpectedLoads;
            std::printf("  unexpected: %s %s\n", file.name, loaded ? "loaded" : "failed");
        }
        if (loaded) {
            form_.cbNumDACs->setCurrentIndex(file.columns - 1); // applies from the next run
        }
        notePeak();
    }

    // Alternates a slider move, as by the keyboard's page keys or a drag, with a preset.
    void changeRate() {
        if (finishing_) {
            return;
        }
        const int step = rateSteps_++;
        if (step % 2 == 0) {
            std::uniform_int_distribution<int> position(form_.tbHz->minimum(),
                                                        form_.tbHz->maximum());
            form_.tbHz->setValue(position(random_));
        } else {
            const QList<QAbstractButton*> presets = form_.HzGroup->buttons();
            QAbstractButton* other = presets.at((form_.HzGroup->checkedId() + 1 + step / 2 % 4) %
                                                static_cast<int>(presets.size()));
            other->click();
        }
        ++total_.rateChanges;
        lastRateChange_ = Clock::now();
        notePeak();
    }

    void notePeak() { intervalPeak_ = std::max(intervalPeak_, ResidentMiB()); }

    void report() {
        notePeak();
        const double minutes = seconds(Clock::now() - started_) / 60.0;
        const Counts& t = total_;
        const Counts& p = atLastReport_;
        std::printf("%6.1f %9.1f %12llu %9llu %10llu %6llu %8llu %6llu %8llu %7.1fms\n", minutes,
                    ResidentMiB(), ull(t.scansSent - p.scansSent), ull(t.underruns - p.underruns),
                    ull(t.underrunsNearLoad - p.underrunsNearLoad), ull(t.loads - p.loads),
                    ull(t.loadFailures - p.loadFailures), ull(t.rateChanges - p.rateChanges),
                    ull(t.restarts - p.restarts), t.longestLoadMs);
        std::fflush(stdout);
        peaks_.push_back(intervalPeak_);
        intervalPeak_ = 0;
        atLastReport_ = t;
        lastReport_ = Clock::now();
    }

    // Closing the window ends the run; the window closes once it has returned, which ends the
    // event loop.
    void finish() {
        finishing_ = true;
        if (Clock::now() - lastReport_ > 2s) {
            report(); // the last interval
        }
        form_.close();
    }

    arb::SimulatedBoard& board_;
    arb::TMainForm& form_;
    CountingBoxes& boxes_;
    const Clock::duration length_;
    const Clock::duration reportEvery_;

    Clock::time_point started_;
    Clock::time_point lastReport_;
    bool finishing_ = false;
    std::size_t nextFile_ = 0;
    int rateSteps_ = 0;
    std::mt19937 random_{20240601};
    std::uint64_t seenUnderruns_ = 0;
    Clock::time_point previousBlockAt_;
    Clock::time_point lastRateChange_;
    std::deque<std::pair<Clock::time_point, Clock::time_point>> loadWindows_;
    Counts total_;
    Counts atLastReport_;
    double intervalPeak_ = 0;
    std::vector<double> peaks_;
};

Clock::duration SecondsArgument(int argc, char** argv, int index, double fallback) {
    const double value = argc > index ? std::atof(argv[index]) : fallback;
    if (!(value > 0)) {
        std::fprintf(stderr, "usage: soak [seconds [report-interval-seconds]]\n");
        std::exit(2);
    }
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(value));
}

} // namespace

int main(int argc, char** argv) {
    const Clock::duration length = SecondsArgument(argc, argv, 1, 600);
    const Clock::duration reportEvery = SecondsArgument(argc, argv, 2, 60);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    std::fesetround(FE_TONEAREST);
    QApplication app(argc, argv);

    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "soak: no temporary folder\n");
        return 1;
    }
    for (const SoakFile& file : kFiles) {
        QFile out(QDir(folder.path()).filePath(file.name));
        if (!out.open(QIODevice::WriteOnly) || out.write(FileText(file)) < 0) {
            std::fprintf(stderr, "soak: cannot write %s\n", file.name);
            return 1;
        }
    }
    QDir::setCurrent(folder.path()); // the file pane starts here

    arb::SimulatedBoard board; // the real clock
    const arb::DacFunctions functions = board.functions();
    CountingBoxes boxes;
    int status = 1;
    {
        arb::TMainForm form(functions, boxes);
        arb::MainForm = &form;
        form.InitControls();
        form.show();
        Soak soak(board, form, boxes, length, reportEvery);
        soak.start();
        app.exec();
        status = soak.summary() ? 0 : 1;
        arb::MainForm = nullptr;
    }
    return status;
}
