// The window: Load of file A, then Play (Repeat unticked), through TMainForm on the simulated board
// with its default ticks ("Show File Data") and with "Show Raw Data" ticked too, each until the
// window is idle and its panes painted; then scrolling the panes to the middle and the end. Against
// the data work alone (LoadTable keeping the listing; RunPlayback), measured in the same run.

#include "app/large_text_view.h"
#include "app/text_pane.h"
#include "bench/bench_support.h"
#include "bench/first_block.h"
#include "bench/window_support.h"
#include "table/table_loader.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <cstdio>

using namespace arb;
using namespace arb::bench;

namespace {

enum class Step { Load, Play, ScrollMiddle, ScrollEnd };

// Builds the window, then times one step (the steps before it run untimed).
double TimeWindowStep(const BenchFile& file, bool rawData, Step step) {
    const auto app = MakeApplication();
    SimulatedBoard board;
    const DacFunctions functions = board.functions();
    CountingBoxes boxes;
    TMainForm form(functions, boxes);
    form.InitControls();
    form.ShowCentred();
    ServeUntilIdle();
    form.cbDisplayBuffer->setChecked(rawData);
    form.cbNumDACs->setCurrentIndex(static_cast<int>(file.columns) - 1);
    form.MainFileEdit->setText(QString::fromStdString(file.path));

    auto timed = [&](auto&& action) {
        const double t = Now();
        action();
        ServeUntilIdle();
        PaintNow(&form);
        return Now() - t;
    };
    const double load = timed([&] { form.LoadButton->click(); });
    if (!form.Rows())
        throw std::runtime_error("the window did not load " + file.path);
    if (step == Step::Load)
        return load;
    const double play = timed([&] { form.PlayButton->click(); });
    if (step == Step::Play)
        return play;
    return timed([&] {
        for (TextPane* pane : {form.FileDataMemo, form.CountDataMemo}) {
            LargeTextView* view = pane->largeView();
            view->scrollToLine(step == Step::ScrollMiddle ? view->lineCount() / 2
                                                          : view->lineCount());
        }
    });
}

void BenchWindow(const BenchFile& file, int runs) {
    std::printf("%s: %zu rows x %zu columns, %.1f MB\n", file.path.c_str(), file.rows, file.columns,
                file.bytes / 1e6);
    const Figures loadWork = Repeat(runs, [&] {
        std::string kept;
        const double t = Now();
        const LoadedTable table =
            LoadTable(file.path, [&](std::string&& listing) { kept = std::move(listing); });
        return Now() - t;
    });
    PrintFigures("data work: LoadTable keeping the listing", loadWork);
    const Figures playWork = Repeat(runs, [&] { return TimeFirstBlock(file, 1000); });
    PrintFigures("data work: RunPlayback (one block)", playWork);

    for (const bool rawData : {false, true}) {
        const std::string ticks = rawData ? "File + Raw Data" : "File Data";
        const Figures load =
            Repeat(runs, [&] { return TimeWindowStep(file, rawData, Step::Load); });
        PrintFigures("window Load, " + ticks, load);
        const Figures play =
            Repeat(runs, [&] { return TimeWindowStep(file, rawData, Step::Play); });
        PrintFigures("window Play, " + ticks, play);
        const Figures middle =
            Repeat(runs, [&] { return TimeWindowStep(file, rawData, Step::ScrollMiddle); });
        PrintFigures("scroll both panes to the middle, paint", middle);
        const Figures end =
            Repeat(runs, [&] { return TimeWindowStep(file, rawData, Step::ScrollEnd); });
        PrintFigures("scroll both panes to the end, paint", end);
        PrintVerdict("window Load / data work (" + ticks + ")",
                     load.seconds.median / loadWork.seconds.median, 3.0);
        PrintVerdict("window Play / data work (" + ticks + ")",
                     play.seconds.median / playWork.seconds.median, 3.0);
        PrintVerdict("scroll and paint, s (smooth: under 1/60 s)",
                     std::max(middle.seconds.median, end.seconds.median) * 60.0, 1.0);
    }
}

} // namespace

int main() {
    std::printf(
        "== window_bench: Load and Play through the window (medians of fresh processes) ==\n");
    BenchWindow(BigFile(), 3);
    BenchWindow(SmallFile(), 5);
}
