#pragma once

#include "board/dac_functions.h"
#include "output/playback_host.h"
#include "table/row_store.h"

#include <QWidget>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSlider;

namespace arb {

class DockSplitter;
class FilePane;
class MessageBoxes;
class TextPane;

// One channel's range setting, kept in the hidden ColRangeGroup: the item index of RangeCombo is
// the channel's board range code.
struct TChannelControl {
    QLabel* CaptionLabel = nullptr;
    QComboBox* RangeCombo = nullptr;
};

// The program's one window: the file pane on the left; board range, rates, channel count, Load,
// Play and the debug display on the right. Handlers stay thin: they read controls, call the
// table/ or output/ function that does the work, and write the result back. Every handler runs
// inside one guard, so an error shows its text in a box and the window goes on.
class TMainForm : public QWidget, public PlaybackHost {
    Q_OBJECT

  public:
    // Builds every control with its initial properties, connects the handlers, then runs
    // FormCreate. `board` and `boxes` must outlive the window.
    TMainForm(const DacFunctions& board, MessageBoxes& boxes, QWidget* parent = nullptr);
    ~TMainForm() override;

    // The controls, named as their objectName.
    QGroupBox* FileGroup = nullptr;
    QComboBox* MainDriveCombo = nullptr;
    QListWidget* MainDirList = nullptr;
    QListWidget* MainFileList = nullptr;
    QLineEdit* MainFileEdit = nullptr;
    DockSplitter* FileSplitter = nullptr;
    QWidget* MainPanel = nullptr;
    QWidget* Panel2 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QComboBox* BoardRangeCombo = nullptr;
    QGroupBox* HzRadios = nullptr;
    QGroupBox* ColRangeGroup = nullptr;
    QPushButton* LoadButton = nullptr;
    QPushButton* PlayButton = nullptr;
    QLabel* FileLabel = nullptr;
    QLabel* PlayReportLabel = nullptr;
    QSlider* tbHz = nullptr;
    QLabel* lblHz = nullptr;
    QCheckBox* cbForever = nullptr;
    QComboBox* cbNumDACs = nullptr;
    QLabel* Label1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    TextPane* CountDataMemo = nullptr;
    TextPane* FileDataMemo = nullptr;
    DockSplitter* Splitter1 = nullptr;
    QWidget* Panel1 = nullptr;
    QCheckBox* cbDisplayBuffer = nullptr;
    QCheckBox* cbDisplayFile = nullptr;
    QCheckBox* cbPadRaw = nullptr;
    QPushButton* BufDepthButton = nullptr;
    QPushButton* BufDepth256Button = nullptr;
    QPushButton* BufDepth1Button = nullptr;
    QButtonGroup* HzGroup = nullptr; // the five presets of HzRadios, ids 0..4

    // Handlers.
    void FormCreate();
    void MainFileListDblClick();
    void BoardRangeComboChange();
    void HzRadiosClick();
    void tbHzChange();
    void LoadButtonClick();
    void PlayButtonClick();
    void cbForeverClick();
    void Splitter1Moved();
    void BufDepthButtonClick();
    void BufDepth256ButtonClick();
    void BufDepth1ButtonClick();

    // Selects one channel and "±10V", firing no handler; called once after creation.
    void InitControls();
    // Play and Repeat are usable when a table is loaded and a board range is selected.
    void UpdatePlayControls();
    // One range setting per loaded column.
    void SetChannelCount(std::size_t count);

    // Shows the window centred on its screen.
    void ShowCentred();

    // State, for tests.
    const std::shared_ptr<const RowStore>& Rows() const { return FRows; }
    const std::vector<TChannelControl>& ChannelControls() const { return FChannelControls; }
    double SampleHz() const { return FSampleHz; }
    int PlaybackDepth() const { return FRunDepth; }
    FilePane& Files() { return *FFilePane; }

    // The text panes, each set in one place; a text given by move is taken, not copied.
    void SetCodePaneText(std::string_view text);
    void SetFilePaneText(std::string_view text);
    void SetFilePaneText(std::string&& text);

    // PlaybackHost.
    void ServePendingEvents() override;
    bool RepeatTicked() const override;
    void UntickRepeat() override;
    void ShowPlayReport(const std::string& text) override;
    void SetCaption(const std::string& text) override;
    void ShowWarning(const std::string& text, const std::string& caption) override;
    void ClearCodePane() override;
    bool ShowRawDataTicked() const override;
    void ShowCodeListing(const CodeListing& listing) override;

  protected:
    // A close asked for while a playback runs ends its repetition; the window closes when the
    // outermost run has returned.
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildControls();
    void ConnectHandlers();
    void LoadNamedFile(const QString& name);
    void SendBufferDepth(const char* buttonName);

    // Runs a handler's body; an error leaving it is shown in a box and goes no further.
    template <class Body> void Guarded(Body&& body) noexcept;

    const DacFunctions& FBoard;
    MessageBoxes& FBoxes;
    FilePane* FFilePane = nullptr;

    std::vector<TChannelControl> FChannelControls;
    double FSampleHz = 0;
    // Shared, so a run keeps the table it started with while a load replaces it.
    std::shared_ptr<const RowStore> FRows;

    int FRunDepth = 0;
    bool FCloseRequested = false;
};

// The program's one window, set by the main block.
extern TMainForm* MainForm;

} // namespace arb
