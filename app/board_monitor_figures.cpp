#include "app/board_monitor_figures.h"

#include "table/board_range.h"

#include <QFormLayout>
#include <QLabel>

#include <chrono>

namespace arb {

namespace {

QString seconds(double s) {
    return QStringLiteral("%1 s").arg(s, 0, 'f', 3);
}

} // namespace

MonitorFiguresPanel::MonitorFiguresPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("MonitorFigures"));
    auto* form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    const auto add = [&](const char* name, const QString& caption) {
        auto* value = new QLabel(QStringLiteral("–"), this);
        value->setObjectName(QString::fromLatin1(name));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        // Wide enough for the longest figure, so the panel does not jump as figures grow.
        value->setMinimumWidth(
            value->fontMetrics().horizontalAdvance(QStringLiteral("0000000000 scans")));
        form->addRow(caption, value);
        return value;
    };
    RateValue = add("RateValue", QStringLiteral("Board rate:"));
    ChannelsValue = add("ChannelsValue", QStringLiteral("Channels:"));
    RangeValue = add("RangeValue", QStringLiteral("Range:"));
    ScansValue = add("ScansValue", QStringLiteral("Scans received:"));
    BlocksValue = add("BlocksValue", QStringLiteral("Blocks received:"));
    LoopsValue = add("LoopsValue", QStringLiteral("Loops through the table:"));
    FillValue = add("FillValue", QStringLiteral("Buffer fill:"));
    UnderrunsValue = add("UnderrunsValue", QStringLiteral("Underruns since start:"));
    RunTimeValue = add("RunTimeValue", QStringLiteral("Time since the run started:"));
    ScanTimeValue = add("ScanTimeValue", QStringLiteral("Time the scans represent:"));
}

// Board figures are the board's own; scans, blocks, loops and times count from the start of the
// current run (its ReloadDeviceLinks).
void MonitorFiguresPanel::showFigures(const MonitorRunFigures& run,
                                      const SimulatedBoardFigures& board,
                                      BoardClock::time_point now) {
    RateValue->setText(QStringLiteral("%1 Hz").arg(board.rateHz, 0, 'f', 3));
    ChannelsValue->setText(QString::number(board.channelCount));
    RangeValue->setText(
        board.rangeCode < kBoardRangeNames.size()
            ? QString::fromUtf8(kBoardRangeNames[board.rangeCode].data(),
                                static_cast<qsizetype>(kBoardRangeNames[board.rangeCode].size()))
            : QString::number(board.rangeCode));
    FillValue->setText(QStringLiteral("%1 of %2 scans").arg(board.fillScans).arg(board.depthScans));
    UnderrunsValue->setText(QString::number(board.underruns));
    if (!run.started) {
        for (QLabel* value : {ScansValue, BlocksValue, LoopsValue, RunTimeValue, ScanTimeValue})
            value->setText(QStringLiteral("no run yet"));
        return;
    }
    ScansValue->setText(QString::number(run.scans));
    BlocksValue->setText(QString::number(run.blocks));
    LoopsValue->setText(QString::number(run.loops));
    const double elapsed = std::chrono::duration<double>(now - run.startedAt).count();
    RunTimeValue->setText(seconds(elapsed));
    ScanTimeValue->setText(seconds(run.scanSeconds));
}

} // namespace arb
