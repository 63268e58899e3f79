// Building the window: every control with its initial properties, its place at 96 dpi, its
// docking or anchors, and the keyboard focus order.

#include "app/main_form.h"

#include "app/control_layout.h"
#include "app/dock_splitter.h"
#include "app/file_pane.h"
#include "app/text_pane.h"
#include "output/buffer_depth.h"
#include "output/rate_presets.h"
#include "table/board_range.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include <algorithm>

namespace arb {

namespace {

constexpr const char* kTabProperty = "arbTabOrder"; // place among the siblings; none: no focus

QString FromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

template <class W, class... Args>
W* Make(QWidget* parent, const char* name, QRect bounds, int tab, Args&&... args) {
    auto* w = new W(std::forward<Args>(args)..., parent);
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(bounds);
    if (tab >= 0) {
        w->setProperty(kTabProperty, tab);
    }
    return w;
}

QStringList BoardRangeItems() {
    QStringList items;
    for (std::string_view name : kBoardRangeNames) {
        items << FromView(name);
    }
    return items;
}

TextPane* MakeTextPane(QWidget* parent, const char* name, QRect bounds, int tab,
                       std::string_view text) {
    auto* pane = Make<TextPane>(parent, name, bounds, tab);
    pane->setFont(QFont(QStringLiteral("Lucida Console"), 8)); // its own, not the window's
    pane->setText(text);
    return pane;
}

// Depth first: the children of `parent` that have a place in the focus order, sorted by it.
void CollectFocusChain(QWidget* parent, QList<QWidget*>& chain) {
    QList<QWidget*> ordered;
    for (QWidget* child : parent->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child->property(kTabProperty).isValid()) {
            ordered << child;
        }
    }
    std::stable_sort(ordered.begin(), ordered.end(), [](QWidget* a, QWidget* b) {
        return a->property(kTabProperty).toInt() < b->property(kTabProperty).toInt();
    });
    for (QWidget* child : ordered) {
        if ((child->focusPolicy() & Qt::TabFocus) != 0) {
            chain << child;
        }
        CollectFocusChain(child, chain);
    }
}

} // namespace

void TMainForm::BuildControls() {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("ARB Demo"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8)); // until FormCreate adopts the system's
    resize(738, 440);

    // Left: the file pane, its splitter, and the panel that takes the rest.
    FileGroup = Make<QGroupBox>(this, "FileGroup", {0, 0, 185, 440}, 0, QStringLiteral("File"));
    FileSplitter = new DockSplitter(this, FileGroup, DockSplitter::Style::Live, false);
    FileSplitter->setObjectName(QStringLiteral("FileSplitter"));
    FileSplitter->setGeometry(185, 0, 3, 440);
    FileSplitter->setFrameStyle(QFrame::Panel | QFrame::Raised);
    MainPanel = Make<QWidget>(this, "MainPanel", {188, 0, 550, 440}, 1);
    auto* top = new ControlLayout(this);
    top->dock(FileGroup, Dock::Left);
    top->dock(FileSplitter, Dock::Left);
    top->dock(MainPanel, Dock::Fill);

    MainDriveCombo = Make<QComboBox>(FileGroup, "MainDriveCombo", {8, 16, 169, 19}, 0);
    MainDirList = Make<QListWidget>(FileGroup, "MainDirList", {8, 40, 169, 97}, 1);
    MainFileList = Make<QListWidget>(FileGroup, "MainFileList", {8, 144, 169, 268}, 2);
    MainFileList->setSelectionMode(QAbstractItemView::SingleSelection);
    MainFileEdit = Make<QLineEdit>(FileGroup, "MainFileEdit", {8, 419, 169, 21}, 3);
    MainFileEdit->setText(FilePane::kMask);
    auto* filePaneLayout = new ControlLayout(FileGroup);
    filePaneLayout->anchor(MainDriveCombo, AnchorLeft | AnchorTop | AnchorRight);
    filePaneLayout->anchor(MainDirList, AnchorLeft | AnchorTop | AnchorRight);
    filePaneLayout->anchor(MainFileList, AnchorLeft | AnchorTop | AnchorRight | AnchorBottom);
    filePaneLayout->anchor(MainFileEdit, AnchorLeft | AnchorRight | AnchorBottom);

    // The top strip: board range, rate presets, rate slider and its readout.
    Panel2 = Make<QWidget>(MainPanel, "Panel2", {0, 0, 550, 73}, 0);
    GroupBox1 =
        Make<QGroupBox>(Panel2, "GroupBox1", {0, 0, 161, 73}, 0, QStringLiteral("Board Range"));
    BoardRangeCombo = Make<QComboBox>(GroupBox1, "BoardRangeCombo", {8, 16, 145, 21}, 0);
    BoardRangeCombo->addItems(BoardRangeItems());
    BoardRangeCombo->setCurrentIndex(-1);
    HzRadios =
        Make<QGroupBox>(Panel2, "HzRadios", {161, 0, 161, 73}, 1, QStringLiteral("Sample Hz"));
    HzGroup = new QButtonGroup(HzRadios);
    for (int i = 0; i < static_cast<int>(kRatePresets.size()); ++i) {
        const int column = i < 3 ? 0 : 1; // items 0 to 2 in the first column, 3 and 4 the second
        const int row = i < 3 ? i : i - 3;
        auto* radio =
            Make<QRadioButton>(HzRadios, "", {8 + 76 * column, 16 + 18 * row, 72, 17}, i,
                               FromView(kRatePresets[static_cast<std::size_t>(i)].caption));
        radio->setObjectName(QStringLiteral("HzRadios%1").arg(i));
        radio->setChecked(i == kInitialPreset);
        HzGroup->addButton(radio, i);
        // Tab reaches the group at its selected item; the arrow keys move within it.
        const auto focusWhenChecked = [radio](bool checked) {
            radio->setFocusPolicy(checked ? Qt::StrongFocus : Qt::ClickFocus);
        };
        focusWhenChecked(radio->isChecked());
        connect(radio, &QRadioButton::toggled, radio, focusWhenChecked);
    }
    tbHz = Make<QSlider>(Panel2, "tbHz", {328, 8, 214, 33}, 2, Qt::Horizontal);
    tbHz->setRange(kSliderMinHz, kSliderMaxHz);
    tbHz->setValue(kSliderInitialHz);
    tbHz->setSingleStep(1);
    tbHz->setPageStep(kSliderPageStep);
    tbHz->setTickInterval(kSliderTickInterval);
    tbHz->setTickPosition(QSlider::TicksBelow);
    lblHz = Make<QLabel>(Panel2, "lblHz", {336, 40, 198, 25}, -1, QStringLiteral("1000 Hz"));
    auto* stripLayout = new ControlLayout(Panel2);
    stripLayout->dock(GroupBox1, Dock::Left);
    stripLayout->dock(HzRadios, Dock::Left);
    stripLayout->anchor(tbHz, AnchorLeft | AnchorTop | AnchorRight);
    stripLayout->anchor(lblHz, AnchorLeft | AnchorTop | AnchorRight);

    // The rest of the main panel.
    ColRangeGroup = Make<QGroupBox>(
        MainPanel, "ColRangeGroup", {0, 73, 550, 64}, 1,
        QStringLiteral(" per-Channel Ranges derived from file's column data, changing this will "
                       "scale the data not change the output range "));
    ColRangeGroup->hide();
    FileLabel = Make<QLabel>(MainPanel, "FileLabel", {0, 137, 550, 24}, -1);
    FileLabel->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    Label1 = Make<QLabel>(MainPanel, "Label1", {381, 176, 93, 13}, -1,
                          QStringLiteral("number of channels"));
    cbNumDACs = Make<QComboBox>(MainPanel, "cbNumDACs", {381, 192, 145, 21}, 5);
    for (int n = 1; n <= 16; ++n) {
        cbNumDACs->addItem(QString::number(n));
    }
    cbNumDACs->setMaxVisibleItems(16);
    cbNumDACs->setCurrentIndex(-1);
    QPushButton** depthButtons[] = {&BufDepthButton, &BufDepth256Button, &BufDepth1Button};
    const QRect depthBounds[] = {{376, 216, 161, 25}, {376, 248, 161, 25}, {376, 288, 161, 25}};
    for (std::size_t i = 0; i < kBufferDepthCommands.size(); ++i) {
        const BufferDepthCommand& command = kBufferDepthCommands[i];
        *depthButtons[i] = Make<QPushButton>(MainPanel, command.buttonName.data(), depthBounds[i],
                                             static_cast<int>(8 + i), FromView(command.caption));
        (*depthButtons[i])->hide();
    }
    GroupBox2 = Make<QGroupBox>(MainPanel, "GroupBox2", {8, 160, 358, 244}, 6,
                                QStringLiteral(" Debug Data Display "));
    cbForever = Make<QCheckBox>(MainPanel, "cbForever", {373, 389, 169, 17}, 4,
                                QStringLiteral("Repeat While Checked"));
    cbForever->setEnabled(false);
    LoadButton = Make<QPushButton>(MainPanel, "LoadButton", {8, 411, 75, 25}, 2,
                                   QStringLiteral("&Load File"));
    PlayButton =
        Make<QPushButton>(MainPanel, "PlayButton", {373, 411, 169, 25}, 3, QStringLiteral("&Play"));
    PlayButton->setEnabled(false);
    cbPadRaw = Make<QCheckBox>(MainPanel, "cbPadRaw", {96, 416, 97, 17}, 7,
                               QStringLiteral("Pad raw data"));
    cbPadRaw->setChecked(true);
    PlayReportLabel = Make<QLabel>(MainPanel, "PlayReportLabel", {176, 419, 190, 17}, -1);
    PlayReportLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    auto* panelLayout = new ControlLayout(MainPanel);
    panelLayout->dock(Panel2, Dock::Top);
    panelLayout->dock(ColRangeGroup, Dock::Top);
    panelLayout->dock(FileLabel, Dock::Top);
    for (QWidget* w :
         {static_cast<QWidget*>(Label1), static_cast<QWidget*>(cbNumDACs),
          static_cast<QWidget*>(BufDepthButton), static_cast<QWidget*>(BufDepth256Button),
          static_cast<QWidget*>(BufDepth1Button)}) {
        panelLayout->anchor(w, AnchorTop | AnchorRight);
    }
    panelLayout->anchor(GroupBox2, AnchorLeft | AnchorTop | AnchorRight | AnchorBottom);
    panelLayout->anchor(cbForever, AnchorRight | AnchorBottom);
    panelLayout->anchor(LoadButton, AnchorLeft | AnchorBottom);
    panelLayout->anchor(PlayButton, AnchorRight | AnchorBottom);
    panelLayout->anchor(PlayReportLabel, AnchorRight | AnchorBottom);

    // The debug display.
    Panel1 = Make<QWidget>(GroupBox2, "Panel1", {2, 15, 354, 18}, 2);
    cbDisplayBuffer = Make<QCheckBox>(Panel1, "cbDisplayBuffer", {0, 0, 217, 17}, 0,
                                      QStringLiteral("Show &Raw Data"));
    CountDataMemo = MakeTextPane(GroupBox2, "CountDataMemo", {2, 33, 103, 209}, 0, "Memo1");
    Splitter1 = new DockSplitter(GroupBox2, CountDataMemo, DockSplitter::Style::Line, true);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setGeometry(105, 33, 5, 209);
    Splitter1->setAutoFillBackground(true);
    QPalette highlight = Splitter1->palette();
    highlight.setColor(QPalette::Window, highlight.color(QPalette::Highlight));
    Splitter1->setPalette(highlight);
    FileDataMemo = MakeTextPane(GroupBox2, "FileDataMemo", {110, 33, 246, 209}, 1, "Memo2");
    cbDisplayFile = Make<QCheckBox>(GroupBox2, "cbDisplayFile", {104, 16, 112, 17}, 3,
                                    QStringLiteral("Show &File Data"));
    cbDisplayFile->setChecked(true);
    cbDisplayFile->raise(); // it lies over Panel1
    auto* debugLayout = new ControlLayout(GroupBox2, QMargins(2, 15, 2, 2));
    debugLayout->dock(Panel1, Dock::Top);
    debugLayout->dock(CountDataMemo, Dock::Left);
    debugLayout->dock(Splitter1, Dock::Left);
    debugLayout->dock(FileDataMemo, Dock::Fill);
    debugLayout->anchor(cbDisplayFile, AnchorLeft | AnchorTop);

    QList<QWidget*> chain;
    CollectFocusChain(this, chain);
    for (qsizetype i = 1; i < chain.size(); ++i) {
        setTabOrder(chain[i - 1], chain[i]);
    }

    FFilePane = new FilePane(MainDriveCombo, MainDirList, MainFileList, MainFileEdit, FBoxes, this);
    FFilePane->start();
    top->relayout();
}

} // namespace arb
