// Loading from the window: select a file and Load, or double-click it; the summary, the file
// pane, the channel settings and the play controls; loads that are skipped or fail.

#include "tests/app/window_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QtTest>

using arb::test::WindowFixture;

namespace {

std::vector<int> RangeCodes(const arb::TMainForm& form) {
    std::vector<int> codes;
    for (const arb::TChannelControl& channel : form.ChannelControls()) {
        codes.push_back(channel.RangeCombo->currentIndex());
    }
    return codes;
}

QStringList Captions(const arb::TMainForm& form) {
    QStringList captions;
    for (const arb::TChannelControl& channel : form.ChannelControls()) {
        captions << channel.CaptionLabel->text();
    }
    return captions;
}

const QByteArray kHeaderTable = "volts\tamps\r\n1\t2\r\n3\t4,5\r\n";

} // namespace

class LoadTest : public QObject {
    Q_OBJECT

  private slots:
    void selectingAndLoadingFillsTheWindow();
    void doubleClickLoadsTheSameAsLoad();
    void theMaskLoadsNothingAndKeepsTheTable();
    void failedLoadsLeaveNoTableAndShowNothing_data();
    void failedLoadsLeaveNoTableAndShowNothing();
    void channelSettingsKeepTheirRangesAcrossLoads();
    void boardRangeChangeKeepsPlayAndSettings();
};

void LoadTest::selectingAndLoadingFillsTheWindow() {
    WindowFixture fx({{"table.tsv", kHeaderTable}});
    fx.load("table.tsv");
    arb::TMainForm& form = *fx.form;
    QCOMPARE(form.FileLabel->text(), QStringLiteral("table.tsv - 3 Rows, 2 Cols"));
    QCOMPARE(form.FileDataMemo->toPlainText(), QStringLiteral("volts\tamps\n1\t2\n3\t4,5\n"));
    QVERIFY(form.Rows() != nullptr);
    QCOMPARE(form.Rows()->size(), std::size_t{3});
    QCOMPARE(Captions(form), (QStringList{"Ch 1", "Ch 2"}));
    QCOMPARE(RangeCodes(form), (std::vector<int>{3, 3}));
    QVERIFY(form.PlayButton->isEnabled());
    QVERIFY(form.cbForever->isEnabled());
    QVERIFY(!form.cbForever->isChecked());
    QVERIFY(form.ColRangeGroup->isHidden());
    QVERIFY(fx.boxes.boxes.empty());
    QVERIFY(fx.board.calls().empty());

    // With "Show File Data" unticked the file pane keeps its text.
    form.cbDisplayFile->setChecked(false);
    fx.writeFile("other.tsv", "7\r\n");
    form.Files().changeFolder(fx.folder.path());
    fx.load("other.tsv");
    QCOMPARE(form.FileLabel->text(), QStringLiteral("other.tsv - 1 Rows, 1 Cols"));
    QCOMPARE(form.FileDataMemo->toPlainText(), QStringLiteral("volts\tamps\n1\t2\n3\t4,5\n"));
}

void LoadTest::doubleClickLoadsTheSameAsLoad() {
    struct Result {
        QString box, label, pane;
        std::size_t rows = 0;
        QStringList captions;
        bool playable = false;
        bool operator==(const Result&) const = default;
    };
    const auto loadBy = [](bool doubleClick) {
        WindowFixture fx({{"first.tsv", "9\n"}, {"table.tsv", kHeaderTable}});
        if (doubleClick) {
            arb::test::DoubleClickItem(fx.form->MainFileList, fx.fileItem("table.tsv"));
        } else {
            fx.load("table.tsv");
        }
        return Result{fx.form->MainFileEdit->text(),
                      fx.form->FileLabel->text(),
                      fx.form->FileDataMemo->toPlainText(),
                      fx.form->Rows() ? fx.form->Rows()->size() : 0,
                      Captions(*fx.form),
                      fx.form->PlayButton->isEnabled()};
    };
    const Result clicked = loadBy(false);
    QCOMPARE(clicked.label, QStringLiteral("table.tsv - 3 Rows, 2 Cols"));
    QVERIFY(loadBy(true) == clicked);
}

void LoadTest::theMaskLoadsNothingAndKeepsTheTable() {
    WindowFixture fx({{"table.tsv", kHeaderTable}});
    fx.load("table.tsv");
    const auto rows = fx.form->Rows();
    fx.form->Files().changeFolder(fx.folder.path()); // puts "*.tsv" back into the box
    QCOMPARE(fx.form->MainFileEdit->text(), QStringLiteral("*.tsv"));
    fx.form->LoadButton->click();
    QCOMPARE(fx.form->Rows(), rows);
    QCOMPARE(fx.form->FileLabel->text(), QStringLiteral("table.tsv - 3 Rows, 2 Cols"));
    QVERIFY(fx.form->PlayButton->isEnabled());
}

void LoadTest::failedLoadsLeaveNoTableAndShowNothing_data() {
    QTest::addColumn<QString>("boxText");
    QTest::addColumn<QString>("paneAfter"); // the file pane's text after the failed load
    QTest::newRow("missing file") << "missing.tsv"
                                  << "volts\tamps\n1\t2\n3\t4,5\n";
    QTest::newRow("mask in other case") << "*.TSV"
                                        << "volts\tamps\n1\t2\n3\t4,5\n";
    QTest::newRow("empty file") << "empty.tsv"
                                << "";
    QTest::newRow("a folder") << "folder.tsv"
                              << "volts\tamps\n1\t2\n3\t4,5\n";
    QTest::newRow("overflowing number") << "huge.tsv"
                                        << "1e999\n";
}

void LoadTest::failedLoadsLeaveNoTableAndShowNothing() {
    QFETCH(QString, boxText);
    QFETCH(QString, paneAfter);
    WindowFixture fx({{"table.tsv", kHeaderTable}, {"empty.tsv", ""}, {"huge.tsv", "1e999\n"}});
    QVERIFY(QDir(fx.folder.path()).mkdir("folder.tsv"));
    fx.load("table.tsv");
    QVERIFY(fx.form->PlayButton->isEnabled());

    fx.form->MainFileEdit->setText(boxText);
    fx.form->LoadButton->click();
    QVERIFY(fx.form->Rows() == nullptr);
    QCOMPARE(fx.form->FileLabel->text(), QString());
    QCOMPARE(fx.form->FileDataMemo->toPlainText(), paneAfter);
    QVERIFY(!fx.form->PlayButton->isEnabled());
    QVERIFY(!fx.form->cbForever->isEnabled());
    QCOMPARE(fx.form->ChannelControls().size(), std::size_t{2}); // kept from the last good load
    QVERIFY(fx.boxes.boxes.empty());
}

void LoadTest::channelSettingsKeepTheirRangesAcrossLoads() {
    WindowFixture fx({{"four.tsv", "1\t2\t3\t4\n"},
                      {"six.tsv", "1\t2\t3\t4\t5\t6\n"},
                      {"two.tsv", "1\t2\n"},
                      {"text.tsv", "a\tb\n"}});
    fx.load("four.tsv");
    QCOMPARE(RangeCodes(*fx.form), (std::vector<int>{3, 3, 3, 3}));
    fx.form->BoardRangeCombo->setCurrentIndex(0);
    fx.load("six.tsv");
    QCOMPARE(RangeCodes(*fx.form), (std::vector<int>{3, 3, 3, 3, 0, 0}));
    QCOMPARE(Captions(*fx.form), (QStringList{"Ch 1", "Ch 2", "Ch 3", "Ch 4", "Ch 5", "Ch 6"}));

    // Fewer columns destroy the surplus; more create them afresh from the board range.
    fx.load("two.tsv");
    QCOMPARE(RangeCodes(*fx.form), (std::vector<int>{3, 3}));
    QCOMPARE(fx.form->ColRangeGroup->findChildren<QComboBox*>().size(), 2);
    fx.form->BoardRangeCombo->setCurrentIndex(2);
    fx.load("six.tsv");
    QCOMPARE(RangeCodes(*fx.form), (std::vector<int>{3, 3, 2, 2, 2, 2}));
    const QRect third = fx.form->ChannelControls()[2].RangeCombo->geometry();
    QCOMPARE(third, QRect(72 * 2 + 8, 32, 64, 21));

    // A file of text only: one row, no column, and still a table that Play can use.
    fx.load("text.tsv");
    QCOMPARE(fx.form->FileLabel->text(), QStringLiteral("text.tsv - 1 Rows, 0 Cols"));
    QVERIFY(fx.form->ChannelControls().empty());
    QCOMPARE(fx.form->FileLabel->text(), QStringLiteral("text.tsv - 1 Rows, 0 Cols"));
    QVERIFY(fx.form->PlayButton->isEnabled());
}

void LoadTest::boardRangeChangeKeepsPlayAndSettings() {
    WindowFixture fx({{"two.tsv", "1\t2\n"}});
    // Before any load, picking a range leaves Play disabled.
    fx.form->BoardRangeCombo->setCurrentIndex(1);
    emit fx.form->BoardRangeCombo->activated(1);
    QVERIFY(!fx.form->PlayButton->isEnabled());

    fx.load("two.tsv");
    fx.form->BoardRangeCombo->setCurrentIndex(0);
    emit fx.form->BoardRangeCombo->activated(0);
    QVERIFY(fx.form->PlayButton->isEnabled());
    QVERIFY(fx.form->cbForever->isEnabled());
    QCOMPARE(RangeCodes(*fx.form), (std::vector<int>{1, 1}));
}

QTEST_MAIN(LoadTest)
#include "load_test.moc"
