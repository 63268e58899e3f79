#pragma once

// The window as the program builds it, on the offscreen platform and the simulated board, with
// message boxes that count instead of blocking: for the window, stream and start-up benchmarks.

#include "app/main_form.h"
#include "app/message_boxes.h"
#include "board/simulated_board.h"

#include <QApplication>
#include <QWidget>

#include <cfenv>
#include <cstdio>
#include <memory>

namespace arb::bench {

class CountingBoxes : public MessageBoxes {
  public:
    void warning(const QString& text, const QString&) override { report(text); }
    void error(const QString& text) override { report(text); }
    int count = 0;

  private:
    void report(const QString& text) {
        ++count;
        std::fprintf(stderr, "message box: %s\n", qPrintable(text));
    }
};

// Serves events until none is left, a few rounds, so posted work (layouts, paints) is done.
inline void ServeUntilIdle() {
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

// A paint of the widget forced now, as the screen would get it.
inline void PaintNow(QWidget* widget) {
    (void)widget->grab();
}

// The application, made in the process that measures (a fresh child each time).
inline std::unique_ptr<QApplication> MakeApplication() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::fesetround(FE_TONEAREST);
    static int argc = 1;
    static char name[] = "arb-bench";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QApplication>(argc, argv);
}

} // namespace arb::bench
