#include "app/board_monitor_plot.h"

#include "board/monitor_model.h"
#include "board/output_volts.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QPolygonF>

#include <array>
#include <chrono>
#include <cmath>

namespace arb {

namespace {

// Room around the traces: volts labels on the left, the legend on the right, seconds below.
constexpr int kLeftMargin = 48;
constexpr int kRightMargin = 64;
constexpr int kTopMargin = 10;
constexpr int kBottomMargin = 26;

const QColor kBackground(16, 20, 24);
const QColor kGrid(58, 64, 72);
const QColor kLabels(190, 196, 204);

// Volts between grid lines: four or five steps that meet both ends of the range and 0 V.
double voltsStep(const VoltsRange& range) {
    return range.span() <= 5 ? 1.0 : range.span() <= 10 ? 2.5 : 5.0;
}

// Negative values with a true minus sign, as the time axis has.
QString voltsLabel(double volts) {
    return QString::number(volts).replace(QLatin1Char('-'), QChar(0x2212)) + QStringLiteral(" V");
}

} // namespace

MonitorPlot::MonitorPlot(const MonitorModel& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    setObjectName(QStringLiteral("MonitorPlot"));
    setMinimumSize(420, 280);
    setAttribute(Qt::WA_OpaquePaintEvent); // every pixel is painted: no background fill first
}

QColor MonitorPlot::channelColour(std::uint32_t channel) {
    static const std::array<QColor, 16> colours = {
        QColor(245, 208, 0),  QColor(0, 216, 255),   QColor(255, 79, 216),  QColor(60, 255, 90),
        QColor(255, 140, 26), QColor(79, 140, 255),  QColor(255, 64, 64),   QColor(200, 162, 255),
        QColor(160, 255, 0),  QColor(255, 179, 179), QColor(0, 179, 160),   QColor(255, 255, 255),
        QColor(179, 134, 0),  QColor(128, 128, 255), QColor(255, 128, 255), QColor(128, 255, 208),
    };
    return colours[channel % colours.size()];
}

void MonitorPlot::showUntil(BoardClock::time_point now, std::uint32_t rangeCode,
                            std::uint32_t channelCount) {
    now_ = now;
    rangeCode_ = rangeCode;
    channelCount_ = channelCount;
    update();
}

QRect MonitorPlot::traceArea() const {
    return rect().adjusted(kLeftMargin, kTopMargin, -kRightMargin, -kBottomMargin);
}

// The range's top at the area's top row, its bottom at the area's bottom row.
double MonitorPlot::yForVolts(double volts) const {
    const QRect area = traceArea();
    const VoltsRange range = OutputVoltsRange(rangeCode_);
    return area.top() + (range.high - volts) / range.span() * (area.height() - 1);
}

void MonitorPlot::paintEvent(QPaintEvent*) {
    QElapsedTimer timer;
    timer.start();
    {
        QPainter painter(this);
        painter.fillRect(rect(), kBackground);
        paintGrid(painter);
        paintTraces(painter);
        paintLegend(painter);
    }
    lastPaintSeconds_ = static_cast<double>(timer.nsecsElapsed()) * 1e-9;
}

void MonitorPlot::paintGrid(QPainter& painter) const {
    const QRect area = traceArea();
    const VoltsRange range = OutputVoltsRange(rangeCode_);
    const QFontMetrics metrics(font());
    painter.setPen(kGrid);
    painter.drawRect(area.adjusted(0, 0, -1, -1));

    const double step = voltsStep(range);
    for (int line = 0; line * step <= range.span(); ++line) {
        const double volts = range.low + line * step;
        const int y = static_cast<int>(std::lround(yForVolts(volts)));
        painter.setPen(kGrid);
        painter.drawLine(area.left(), y, area.right(), y);
        painter.setPen(kLabels);
        painter.drawText(QRect(0, y - metrics.height() / 2, kLeftMargin - 6, metrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter, voltsLabel(volts));
    }

    const double seconds = model_.windowSeconds();
    for (int s = 0; s <= static_cast<int>(seconds); ++s) {
        const int x = area.left() +
                      static_cast<int>(std::lround((seconds - s) / seconds * (area.width() - 1)));
        painter.setPen(kGrid);
        painter.drawLine(x, area.top(), x, area.bottom());
        painter.setPen(kLabels);
        const QString label = s == 0 ? QStringLiteral("now") : QStringLiteral("−%1 s").arg(s);
        painter.drawText(QRect(x - 40, area.bottom() + 4, 80, metrics.height()),
                         Qt::AlignHCenter | Qt::AlignTop, label);
    }
}

void MonitorPlot::paintTraces(QPainter& painter) const {
    const QRect area = traceArea();
    const auto columns = static_cast<std::size_t>(std::max(area.width(), 0));
    const auto window = std::chrono::duration_cast<BoardClock::duration>(
        std::chrono::duration<double>(model_.windowSeconds()));
    const std::vector<CodeSpan> spans = model_.columnSpans(now_ - window, now_, columns);
    if (spans.empty()) {
        painter.setPen(kLabels);
        painter.drawText(area, Qt::AlignCenter,
                         QStringLiteral("Waiting for the board's first block"));
        return;
    }
    const std::uint32_t rangeCode = model_.run().rangeCode;
    const std::size_t channels = spans.size() / columns;
    painter.save();
    painter.setClipRect(area);
    QPolygonF line;
    line.reserve(static_cast<qsizetype>(2 * columns));
    for (std::size_t ch = 0; ch < channels; ++ch) {
        painter.setPen(QPen(channelColour(static_cast<std::uint32_t>(ch)), 0)); // cosmetic: fastest
        const CodeSpan* row = spans.data() + ch * columns;
        line.clear();
        // One polyline per unbroken run of columns; within a column, a stroke from the end
        // nearer the previous column to the other end.
        for (std::size_t c = 0; c <= columns; ++c) {
            if (c == columns || row[c].empty()) {
                if (line.size() == 1)
                    painter.drawPoint(line.front());
                else if (line.size() > 1)
                    painter.drawPolyline(line);
                line.clear();
                continue;
            }
            const double x = area.left() + static_cast<double>(c) + 0.5;
            const double yLow = yForVolts(CodeToVolts(row[c].low, rangeCode));
            const double yHigh = yForVolts(CodeToVolts(row[c].high, rangeCode));
            const bool lowFirst = line.isEmpty() || std::abs(line.back().y() - yLow) <=
                                                        std::abs(line.back().y() - yHigh);
            line.append(QPointF(x, lowFirst ? yLow : yHigh));
            if (yLow != yHigh)
                line.append(QPointF(x, lowFirst ? yHigh : yLow));
        }
    }
    painter.restore();
}

void MonitorPlot::paintLegend(QPainter& painter) const {
    const QRect area = traceArea();
    const QFontMetrics metrics(font());
    const int rowHeight = metrics.height() + 2;
    for (std::uint32_t ch = 0; ch < channelCount_; ++ch) {
        const int y = area.top() + static_cast<int>(ch) * rowHeight;
        const QColor colour = channelColour(ch);
        painter.fillRect(QRect(area.right() + 10, y + rowHeight / 2 - 1, 14, 3), colour);
        painter.setPen(colour);
        painter.drawText(QRect(area.right() + 28, y, kRightMargin - 28, rowHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("ch%1").arg(ch + 1));
    }
}

} // namespace arb
