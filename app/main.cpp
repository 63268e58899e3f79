// The program's main block: the board, the window, its initial selections, the event loop.

#include "app/board_monitor.h"
#include "app/main_form.h"
#include "app/message_boxes.h"
#include "board/active_board.h"

#include <QApplication>

#include <cfenv>

int main(int argc, char** argv) {
    std::fesetround(FE_TONEAREST); // real-to-integer conversions round halves to even

    QApplication app(argc, argv);
    arb::QtMessageBoxes boxes;
    arb::ActiveBoard board;
    if (!board.warning().empty()) {
        boxes.warning(QString::fromStdString(board.warning()), QStringLiteral("ARB Demo"));
    }

    arb::TMainForm window(board.functions(), boxes);
    arb::MainForm = &window;
    arb::MainForm->InitControls();
    arb::MainForm->ShowCentred();
    arb::OpenBoardMonitorIfSimulated(board, window); // owned by the window, closes with it
    const int exitCode = app.exec();
    arb::MainForm = nullptr;
    return exitCode;
}
