#include "app/main_form.h"

#include "app/dock_splitter.h"
#include "app/file_pane.h"
#include "app/message_boxes.h"
#include "app/message_font.h"
#include "app/text_pane.h"
#include "output/buffer_depth.h"
#include "output/play_report.h"
#include "output/playback_run.h"
#include "output/rate_presets.h"
#include "output/sample_conversion.h"
#include "table/channel_settings.h"
#include "table/load_summary.h"
#include "table/play_controls.h"
#include "table/table_loader.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>

#include <exception>

namespace arb {

TMainForm* MainForm = nullptr;

namespace {

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The user's decimal separator, as the one byte the conversion takes.
char DecimalSeparator() {
    const QString point = QLocale::system().decimalPoint();
    if (point.isEmpty() || point.at(0).unicode() > 0x7F) {
        return '.';
    }
    return static_cast<char>(point.at(0).unicode());
}

// Counts the runs under way for as long as one lasts.
class RunDepthScope {
  public:
    explicit RunDepthScope(int& depth) : depth_(depth) { ++depth_; }
    ~RunDepthScope() { --depth_; }
    RunDepthScope(const RunDepthScope&) = delete;
    RunDepthScope& operator=(const RunDepthScope&) = delete;

  private:
    int& depth_;
};

} // namespace

TMainForm::TMainForm(const DacFunctions& board, MessageBoxes& boxes, QWidget* parent)
    : QWidget(parent), FBoard(board), FBoxes(boxes) {
    BuildControls();
    ConnectHandlers();
    FormCreate();
}

TMainForm::~TMainForm() {
    if (MainForm == this) {
        MainForm = nullptr;
    }
}

template <class Body> void TMainForm::Guarded(Body&& body) noexcept {
    try {
        body();
    } catch (const std::exception& error) {
        FBoxes.error(QString::fromUtf8(error.what()));
    } catch (...) {
        FBoxes.error(QStringLiteral("Unknown error"));
    }
}

void TMainForm::ConnectHandlers() {
    connect(MainFileList, &QListWidget::itemDoubleClicked, this, &TMainForm::MainFileListDblClick);
    connect(BoardRangeCombo, &QComboBox::activated, this, &TMainForm::BoardRangeComboChange);
    connect(HzGroup, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked) {
            HzRadiosClick();
        }
    });
    connect(tbHz, &QSlider::valueChanged, this, &TMainForm::tbHzChange);
    connect(tbHz, &QSlider::sliderReleased, this, &TMainForm::tbHzChange);
    connect(LoadButton, &QPushButton::clicked, this, &TMainForm::LoadButtonClick);
    connect(PlayButton, &QPushButton::clicked, this, &TMainForm::PlayButtonClick);
    connect(cbForever, &QCheckBox::toggled, this, &TMainForm::cbForeverClick);
    connect(Splitter1, &DockSplitter::moved, this, &TMainForm::Splitter1Moved);
    connect(BufDepthButton, &QPushButton::clicked, this, &TMainForm::BufDepthButtonClick);
    connect(BufDepth256Button, &QPushButton::clicked, this, &TMainForm::BufDepth256ButtonClick);
    connect(BufDepth1Button, &QPushButton::clicked, this, &TMainForm::BufDepth1ButtonClick);
}

void TMainForm::FormCreate() {
    Guarded([&] {
        QFont windowFont = font();
        UseSystemMessageFont(windowFont);
        setFont(windowFont);
        Label1->adjustSize(); // the channel-count caption is sized to its text
    });
}

void TMainForm::InitControls() {
    const QSignalBlocker quietChannels(cbNumDACs);
    const QSignalBlocker quietRange(BoardRangeCombo);
    cbNumDACs->setCurrentIndex(0);
    BoardRangeCombo->setCurrentIndex(3);
}

void TMainForm::ShowCentred() {
    if (const QScreen* screen = this->screen()) {
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                        screen->availableGeometry()));
    }
    show();
}

// ---- Loading ----------------------------------------------------------------------------------

void TMainForm::LoadButtonClick() {
    Guarded([&] {
        const QString name = MainFileEdit->text();
        if (name != FilePane::kMask) { // the mask means no file has been chosen
            LoadNamedFile(name);
        }
        UpdatePlayControls();
    });
}

void TMainForm::LoadNamedFile(const QString& name) {
    FRows.reset();
    FileLabel->clear();
    try {
        const std::string path = QFile::encodeName(name).toStdString();
        FileListingSink showListing;
        if (cbDisplayFile->isChecked()) {
            showListing = [this](std::string&& listing) { SetFilePaneText(std::move(listing)); };
        }
        LoadedTable table = LoadTable(path, showListing);
        auto rows = std::make_shared<const RowStore>(std::move(table.rows));
        FileLabel->setText(FromUtf8(LoadSummary(path, *rows)));
        SetChannelCount(table.columnCount);
        FRows = std::move(rows);
    } catch (const std::exception&) {
        // A failed load shows no message; it leaves the window without a table.
        FRows.reset();
    }
}

void TMainForm::UpdatePlayControls() {
    PlayButton->setEnabled(PlayControlsUsable(BoardRangeCombo->currentIndex(), FRows != nullptr));
    // While Repeat is ticked the user must be able to untick it, whatever happened to the table.
    cbForever->setEnabled(PlayButton->isEnabled() || cbForever->isChecked());
}

void TMainForm::SetChannelCount(std::size_t count) {
    const ChannelCountPlan plan =
        PlanChannelCount(FChannelControls.size(), count, BoardRangeCombo->currentIndex());
    for (std::size_t i = plan.removedFrom; i < plan.removedTo; ++i) {
        delete FChannelControls[i].CaptionLabel;
        delete FChannelControls[i].RangeCombo;
    }
    FChannelControls.resize(plan.kept);
    QStringList ranges;
    for (int i = 0; i < BoardRangeCombo->count(); ++i) {
        ranges << BoardRangeCombo->itemText(i);
    }
    for (const NewChannelSetting& setting : plan.created) {
        const Bounds& lb = setting.labelBounds;
        const Bounds& cb = setting.comboBounds;
        TChannelControl control;
        control.CaptionLabel = new QLabel(FromUtf8(setting.caption), ColRangeGroup);
        control.CaptionLabel->setAlignment(Qt::AlignCenter);
        control.CaptionLabel->setGeometry(lb.left, lb.top, lb.width, lb.height);
        control.CaptionLabel->show();
        control.RangeCombo = new QComboBox(ColRangeGroup);
        control.RangeCombo->setGeometry(cb.left, cb.top, cb.width, cb.height);
        control.RangeCombo->addItems(ranges);
        control.RangeCombo->setCurrentIndex(setting.rangeCode);
        control.RangeCombo->show();
        FChannelControls.push_back(control);
    }
}

void TMainForm::MainFileListDblClick() {
    Guarded([&] { LoadButtonClick(); });
}

void TMainForm::BoardRangeComboChange() {
    Guarded([&] { UpdatePlayControls(); });
}

// ---- Playing ----------------------------------------------------------------------------------

void TMainForm::PlayButtonClick() {
    Guarded([&] {
        if (!FRows) {
            return; // nothing loaded: nothing to play
        }
        const std::shared_ptr<const RowStore> rows = FRows; // kept while a load replaces FRows
        std::vector<BoardRange> channelRanges;
        channelRanges.reserve(FChannelControls.size());
        for (const TChannelControl& channel : FChannelControls) {
            channelRanges.push_back(channel.RangeCombo->currentIndex());
        }
        const PlaybackSettings settings{*rows,
                                        tbHz->value(),
                                        BoardRangeCombo->currentIndex(),
                                        cbNumDACs->currentIndex() + 1,
                                        channelRanges,
                                        DecimalSeparator()};
        const RunDepthScope running(FRunDepth);
        RunPlayback(FBoard, FSampleHz, settings, *this);
    });
    if (FRunDepth == 0 && FCloseRequested) {
        FCloseRequested = false;
        close(); // asked for during the runs, which have all returned now
    }
}

void TMainForm::cbForeverClick() {
    Guarded([&] {
        if (cbForever->isChecked()) {
            // The box changes inside its own click, where it holds back its repaint until the
            // click returns; the run serves events long before that, so ask for the tick now.
            cbForever->update();
            PlayButtonClick();
        } else {
            UpdatePlayControls(); // an unticked box is usable only while Play is
        }
    });
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (FRunDepth > 0) {
        FCloseRequested = true;
        event->ignore();
        cbForever->setChecked(false); // ends the repetition; the window closes when runs return
        return;
    }
    event->accept();
}

// ---- Rates, splitter, buffer depth -------------------------------------------------------------

void TMainForm::HzRadiosClick() {
    Guarded([&] {
        const std::optional<double> rate = PresetRate(HzGroup->checkedId());
        if (!rate) {
            return;
        }
        FSampleHz = *rate;
        tbHz->setValue(SliderPositionFor(FSampleHz)); // runs tbHzChange when it moves
    });
}

void TMainForm::tbHzChange() {
    Guarded([&] {
        FSampleHz = tbHz->value();
        lblHz->setText(FromUtf8(RateLabel(FSampleHz)));
    });
}

void TMainForm::Splitter1Moved() {
    Guarded([&] { cbDisplayFile->move(Splitter1->x(), cbDisplayFile->y()); });
}

void TMainForm::SendBufferDepth(const char* buttonName) {
    Guarded([&] {
        for (const BufferDepthCommand& command : kBufferDepthCommands) {
            if (command.buttonName == buttonName) {
                arb::SendBufferDepth(FBoard, command.value);
            }
        }
    });
}

void TMainForm::BufDepthButtonClick() {
    SendBufferDepth("BufDepthButton");
}
void TMainForm::BufDepth256ButtonClick() {
    SendBufferDepth("BufDepth256Button");
}
void TMainForm::BufDepth1ButtonClick() {
    SendBufferDepth("BufDepth1Button");
}

// ---- Text panes and the playback host -----------------------------------------------------------

void TMainForm::SetCodePaneText(std::string_view text) {
    CountDataMemo->setText(text);
}
void TMainForm::SetFilePaneText(std::string_view text) {
    FileDataMemo->setText(text);
}
void TMainForm::SetFilePaneText(std::string&& text) {
    FileDataMemo->setText(std::move(text));
}

void TMainForm::ServePendingEvents() {
    QCoreApplication::processEvents();
}
bool TMainForm::RepeatTicked() const {
    return cbForever->isChecked();
}
void TMainForm::UntickRepeat() {
    cbForever->setChecked(false);
}

void TMainForm::ShowPlayReport(const std::string& text) {
    PlayReportLabel->setText(FromUtf8(text));
    PlayReportLabel->repaint();
}

void TMainForm::SetCaption(const std::string& text) {
    setWindowTitle(FromUtf8(text));
}

void TMainForm::ShowWarning(const std::string& text, const std::string& caption) {
    FBoxes.warning(FromUtf8(text), FromUtf8(caption));
}

void TMainForm::ClearCodePane() {
    SetCodePaneText({});
}
bool TMainForm::ShowRawDataTicked() const {
    return cbDisplayBuffer->isChecked();
}
void TMainForm::ShowCodeListing(const CodeListing& listing) {
    SetCodePaneText(listing.text());
}

} // namespace arb
