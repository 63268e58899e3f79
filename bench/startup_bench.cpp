// Start-up: from the start of main() to the window shown, painted once and its event queue idle,
// with the same steps as the program's main block (the board chosen as the program chooses it).

#include "bench/bench_support.h"
#include "bench/window_support.h"
#include "board/active_board.h"

#include <QEvent>
#include <QWindow>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

using namespace arb;
using namespace arb::bench;

namespace {

// Counts the paints a widget gets.
class PaintCounter : public QObject {
  public:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
    int paints = 0;
};

double StartToIdle(double start) {
    const auto app = MakeApplication();
    CountingBoxes boxes;
    ActiveBoard board;
    TMainForm window(board.functions(), boxes);
    PaintCounter counter;
    window.installEventFilter(&counter);
    MainForm = &window;
    MainForm->InitControls();
    MainForm->ShowCentred();
    const double deadline = Now() + 10;
    while ((counter.paints == 0 || !window.windowHandle() || !window.windowHandle()->isExposed()) &&
           Now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    ServeUntilIdle();
    const double seconds = Now() - start;
    MainForm = nullptr;
    if (counter.paints == 0)
        throw std::runtime_error("the window was never painted");
    return seconds;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--once") { // one start, timed from here
        const double start = Now();
        std::printf("%.6f\n", StartToIdle(start));
        return 0;
    }
    std::printf("== startup_bench: main() to a shown, painted, idle window (fresh processes) ==\n");
    // A fresh invocation of this program each time: main() is entered with the libraries loaded
    // and nothing made. The launch as well also counts the loading of the program and Qt.
    std::vector<double> fromMain, fromLaunch;
    for (int run = 0; run < 7; ++run) {
        const double launched = Now();
        std::FILE* child =
            popen((std::string("\"") + argv[0] + "\" --once 2>/dev/null").c_str(), "r");
        double seconds = -1;
        if (!child || std::fscanf(child, "%lf", &seconds) != 1 || pclose(child) != 0)
            throw std::runtime_error("a start-up run failed");
        fromLaunch.push_back(Now() - launched);
        fromMain.push_back(seconds);
    }
    const Summary main = Summarise(fromMain), launch = Summarise(fromLaunch);
    std::printf("  main() to shown, painted, idle     %.3f s [%.3f..%.3f]\n", main.median, main.min,
                main.max);
    std::printf("  launch to exit after that          %.3f s [%.3f..%.3f]\n", launch.median,
                launch.min, launch.max);
    PrintVerdict("start-up from main(), s / 0.5 s", main.median / 0.5, 1.0);
}
