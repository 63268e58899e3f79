#include "app/board_monitor.h"

#include "app/board_monitor_figures.h"
#include "app/board_monitor_plot.h"
#include "board/active_board.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace arb {

namespace {

const QString kRecordText = QStringLiteral("Record…");
const QString kStopText = QStringLiteral("Stop Recording");
const QString kCaption = QStringLiteral("Board Monitor");

} // namespace

BoardMonitor::BoardMonitor(SimulatedBoard& board, BoardClock& clock,
                           std::unique_ptr<RecordFilePicker> picker,
                           std::unique_ptr<MonitorMessages> messages, QWidget* parent)
    : QWidget(parent, Qt::Window), board_(board), clock_(clock), picker_(std::move(picker)),
      messages_(std::move(messages)) {
    setObjectName(QStringLiteral("BoardMonitor"));
    setWindowTitle(QStringLiteral("Board Monitor — Simulated Board (no hardware)"));
    resize(780, 460);

    auto* banner = new QLabel(
        QStringLiteral("Simulated board: no hardware is connected. This window shows what the "
                       "board would put on its outputs."),
        this);
    banner->setObjectName(QStringLiteral("SimulatedBanner"));
    banner->setWordWrap(true);
    banner->setStyleSheet(QStringLiteral("background: #fff3c4; color: #5a4500; padding: 4px;"));

    Plot = new MonitorPlot(model_, this);
    Figures = new MonitorFiguresPanel(this);
    RecordButton = new QPushButton(kRecordText, this);
    RecordButton->setObjectName(QStringLiteral("RecordButton"));
    RecordStatusLabel = new QLabel(QStringLiteral("Not recording."), this);
    RecordStatusLabel->setObjectName(QStringLiteral("RecordStatusLabel"));
    RecordStatusLabel->setWordWrap(true);
    RecordStatusLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    PlotNoteLabel = new QLabel(this);
    PlotNoteLabel->setObjectName(QStringLiteral("PlotNoteLabel"));
    PlotNoteLabel->setWordWrap(true);

    // The side column keeps one width, so figures that change every tick never resize the plot:
    // a resize would repaint it outside the timer's care for playback.
    auto* sideColumn = new QWidget(this);
    sideColumn->setFixedWidth(Figures->sizeHint().width() + 8);
    auto* side = new QVBoxLayout(sideColumn);
    side->setContentsMargins(0, 0, 0, 0);
    side->addWidget(Figures);
    side->addSpacing(12);
    side->addWidget(RecordButton);
    side->addWidget(RecordStatusLabel);
    side->addSpacing(12);
    side->addWidget(PlotNoteLabel);
    side->addStretch(1);
    auto* body = new QHBoxLayout;
    body->addWidget(Plot, 1);
    body->addWidget(sideColumn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(banner);
    layout->addLayout(body, 1);

    connect(RecordButton, &QPushButton::clicked, this, [this] { RecordButtonClick(); });
    board_.setBlockObserver([this](const ReceivedBlock& block) noexcept { receive(block); });

    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, [this] { refresh(); });
    timer_->start(kRefreshMs);
    refresh();
}

BoardMonitor::~BoardMonitor() {
    board_.setBlockObserver({});
    if (recorder_)
        recorder_->finish(); // the program is ending: nobody is left to tell of an error
}

// Runs inside the board's call, while playback waits on it: copy and format, nothing more.
void BoardMonitor::receive(const ReceivedBlock& block) noexcept {
    model_.receive(block);
    if (recorder_)
        recorder_->record(block);
}

void BoardMonitor::refresh() {
    if (recorder_) {
        recorder_->flush();
        if (recorder_->failed())
            stopRecording();
        else
            showRecordStatus();
    }
    const SimulatedBoardFigures figures = board_.figures();
    const BoardClock::time_point now = clock_.now();
    if (!isVisible())
        return;
    Figures->showFigures(model_.run(), figures, now);
    const MonitorRunFigures& run = model_.run();
    if (!RepaintAffordable(run, figures, now, Plot->lastPaintSeconds())) {
        PlotNoteLabel->setText(QStringLiteral(
            "The plot holds still: the board's buffer is too short to repaint without an "
            "underrun. A deeper buffer lets it follow the output."));
        return;
    }
    PlotNoteLabel->clear();
    // The traces are in the range their run plays in; before any run, the board's range.
    Plot->showUntil(now, run.started ? run.rangeCode : figures.rangeCode,
                    run.started ? run.channelCount : figures.channelCount);
}

void BoardMonitor::RecordButtonClick() {
    if (recorder_) {
        stopRecording();
        return;
    }
    picker_->pickRecordFile(*this, [this](const QString& path) { startRecording(path); });
}

void BoardMonitor::startRecording(const QString& path) {
    if (path.isEmpty() || recorder_)
        return;
    auto recorder = std::make_unique<ScanRecorder>(QFile::encodeName(path).toStdString(),
                                                   board_.figures().channelCount);
    if (recorder->failed()) {
        messages_->showMonitorMessage(*this,
                                      QStringLiteral("Recording did not start: %1")
                                          .arg(QString::fromStdString(recorder->error())),
                                      kCaption);
        return;
    }
    recorder_ = std::move(recorder);
    RecordButton->setText(kStopText);
    showRecordStatus();
}

void BoardMonitor::stopRecording() {
    std::unique_ptr<ScanRecorder> recorder = std::move(recorder_);
    RecordButton->setText(kRecordText);
    const bool ok = recorder->finish();
    const QString path = QString::fromStdString(recorder->path());
    if (ok) {
        RecordStatusLabel->setText(
            QStringLiteral("Recorded %1 scans to %2").arg(recorder->scansRecorded()).arg(path));
        return;
    }
    const QString error = QString::fromStdString(recorder->error());
    RecordStatusLabel->setText(QStringLiteral("Recording stopped: %1").arg(error));
    messages_->showMonitorMessage(
        *this,
        QStringLiteral("The recording stopped: %1\nThe file keeps the %2 scans before the error; "
                       "playback was not affected.")
            .arg(error)
            .arg(recorder->scansRecorded()),
        kCaption);
}

void BoardMonitor::showRecordStatus() {
    RecordStatusLabel->setText(QStringLiteral("Recording to %1: %2 scans")
                                   .arg(QString::fromStdString(recorder_->path()))
                                   .arg(recorder_->scansRecorded()));
}

namespace {

void PlaceBeside(QWidget& mainWindow, QWidget& monitor) {
    const QScreen* screen = mainWindow.screen();
    if (screen == nullptr)
        return;
    const QRect room = screen->availableGeometry();
    const QRect frame = mainWindow.frameGeometry();
    const int gap = 8;
    const int pairWidth = frame.width() + gap + monitor.frameGeometry().width();
    // Side by side, centred together, where the screen is wide enough; else the two windows go
    // to opposite edges, so that the monitor covers as little of the main window as it can.
    const int mainLeft =
        pairWidth <= room.width() ? room.left() + (room.width() - pairWidth) / 2 : room.left();
    mainWindow.move(mainLeft, frame.top());
    const int monitorLeft = std::min(mainLeft + frame.width() + gap,
                                     room.right() + 1 - monitor.frameGeometry().width());
    monitor.move(std::max(room.left(), monitorLeft), frame.top());
}

} // namespace

BoardMonitor* OpenBoardMonitorIfSimulated(ActiveBoard& board, QWidget& mainWindow) {
    SimulatedBoard* simulated = board.simulated();
    if (simulated == nullptr)
        return nullptr;
    auto* monitor = new BoardMonitor(*simulated, SimulatedBoard::sharedSteadyClock(),
                                     std::make_unique<DialogRecordFilePicker>(),
                                     std::make_unique<BoxMonitorMessages>(), &mainWindow);
    PlaceBeside(mainWindow, *monitor);
    monitor->show();
    return monitor;
}

} // namespace arb
