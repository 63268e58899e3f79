#pragma once

// The monitor's figures: what the board runs at and how the current run is going, as text.

#include "board/board_clock.h"
#include "board/monitor_model.h"
#include "board/simulated_board.h"

#include <QWidget>

class QLabel;

namespace arb {

class MonitorFiguresPanel : public QWidget {
    Q_OBJECT

  public:
    explicit MonitorFiguresPanel(QWidget* parent = nullptr);

    void showFigures(const MonitorRunFigures& run, const SimulatedBoardFigures& board,
                     BoardClock::time_point now);

    // The values, named as their objectName.
    QLabel* RateValue = nullptr;
    QLabel* ChannelsValue = nullptr;
    QLabel* RangeValue = nullptr;
    QLabel* ScansValue = nullptr;
    QLabel* BlocksValue = nullptr;
    QLabel* LoopsValue = nullptr;
    QLabel* FillValue = nullptr;
    QLabel* UnderrunsValue = nullptr;
    QLabel* RunTimeValue = nullptr;
    QLabel* ScanTimeValue = nullptr;
};

} // namespace arb
