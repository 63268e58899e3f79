#pragma once

// The monitor's oscilloscope screen: every channel's output in volts over the last seconds, the
// newest at the right edge. Drawn from the model's per-column lowest and highest codes, so a
// repaint costs one pass over the kept scans and a few lines per pixel column, however fast the
// board runs.

#include "board/board_clock.h"

#include <QColor>
#include <QWidget>

#include <cstdint>

namespace arb {

class MonitorModel;

class MonitorPlot : public QWidget {
    Q_OBJECT

  public:
    // `model` must outlive the plot.
    explicit MonitorPlot(const MonitorModel& model, QWidget* parent = nullptr);

    // Shows the window of time that ends at `now`, on the volts scale of `rangeCode` with the
    // legend for `channelCount` channels, at the next repaint.
    void showUntil(BoardClock::time_point now, std::uint32_t rangeCode, std::uint32_t channelCount);

    // Where the traces go, and where a voltage lands in it.
    QRect traceArea() const;
    double yForVolts(double volts) const;
    static QColor channelColour(std::uint32_t channel);
    // How long the latest repaint took, in seconds; 0 before the first.
    double lastPaintSeconds() const { return lastPaintSeconds_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void paintGrid(class QPainter& painter) const;
    void paintTraces(class QPainter& painter) const;
    void paintLegend(class QPainter& painter) const;

    const MonitorModel& model_;
    BoardClock::time_point now_{};
    std::uint32_t rangeCode_ = 3;
    std::uint32_t channelCount_ = 1;
    double lastPaintSeconds_ = 0;
};

} // namespace arb
