#pragma once

// The board monitor: a window of its own for the simulated board, standing in for an
// oscilloscope clipped onto the board's outputs. It follows what the board receives, through
// the board's block observer: a live plot of every channel in volts, the board's figures, and a
// recording of every scan to a text file.
//
// Playback runs on this window's thread and serves events once per block, so taking a block
// only copies it into a ring (and, while recording, formats its lines); the screen is repainted
// on a timer, never per block.

#include "app/board_monitor_prompts.h"
#include "board/board_clock.h"
#include "board/monitor_model.h"
#include "board/scan_recorder.h"
#include "board/simulated_board.h"

#include <QWidget>

#include <memory>

class QLabel;
class QPushButton;
class QTimer;

namespace arb {

class ActiveBoard;
class MonitorFiguresPanel;
class MonitorPlot;

class BoardMonitor : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kRefreshMs = 40; // 25 repaints a second

    // Watches `board` from now until the monitor is destroyed. `board` and `clock` (the board's
    // clock) must outlive the monitor.
    BoardMonitor(SimulatedBoard& board, BoardClock& clock, std::unique_ptr<RecordFilePicker> picker,
                 std::unique_ptr<MonitorMessages> messages, QWidget* parent = nullptr);
    ~BoardMonitor() override;

    const MonitorModel& model() const { return model_; }
    bool recording() const { return recorder_ != nullptr; }

    // What the timer does: shows the figures, hands recorded lines to the file (stopping the
    // recording on an error), and repaints the plot.
    void refresh();

    MonitorPlot* Plot = nullptr;
    MonitorFiguresPanel* Figures = nullptr;
    QPushButton* RecordButton = nullptr;
    QLabel* RecordStatusLabel = nullptr;
    QLabel* PlotNoteLabel = nullptr; // says when the plot holds still to spare playback

  private:
    void RecordButtonClick();
    void startRecording(const QString& path);
    void stopRecording();
    void showRecordStatus();
    void receive(const ReceivedBlock& block) noexcept;

    SimulatedBoard& board_;
    BoardClock& clock_;
    std::unique_ptr<RecordFilePicker> picker_;
    std::unique_ptr<MonitorMessages> messages_;
    MonitorModel model_;
    std::unique_ptr<ScanRecorder> recorder_;
    QTimer* timer_ = nullptr;
};

// Opens the board monitor beside `mainWindow` when `board` is the simulated board; does nothing
// with the vendor library. The monitor is a separate window owned by `mainWindow`: it goes when
// the main window goes and never keeps the program running on its own.
BoardMonitor* OpenBoardMonitorIfSimulated(ActiveBoard& board, QWidget& mainWindow);

} // namespace arb
