// The window right after start-up: every control's kind, text, state and place, the focus order,
// and that building it ran no handler.

#include "app/message_font.h"
#include "app/text_pane.h"
#include "tests/app/window_fixture.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSlider>
#include <QtTest>

using arb::test::WindowFixture;

namespace {

struct ControlCase {
    const char* name;
    const char* kind; // class name
    QString text;     // caption, title or text; empty where the control has none
    bool hidden;
    bool enabled;
    int checked; // -1: not a check box
    QRect bounds;
};

QString TextOf(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        return b->text();
    }
    if (auto* g = qobject_cast<QGroupBox*>(w)) {
        return g->title();
    }
    if (auto* l = qobject_cast<QLabel*>(w)) {
        return l->text();
    }
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        return e->text();
    }
    if (auto* p = qobject_cast<arb::TextPane*>(w)) {
        return p->toPlainText();
    }
    if (auto* c = qobject_cast<QComboBox*>(w)) {
        return c->currentText();
    }
    return {};
}

QStringList ItemsOf(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) {
        items << combo->itemText(i);
    }
    return items;
}

} // namespace

class StartupTest : public QObject {
    Q_OBJECT

  private slots:
    void everyControlStartsAsDesigned();
    void selectionsAndRatesStartWithoutHandlers();
    void focusFollowsTheDesignedOrder();
    void debugPanesKeepTheirOwnFont();
};

void StartupTest::everyControlStartsAsDesigned() {
    WindowFixture fx;
    const QString pm = QString::fromUtf8("\u00b1");
    const ControlCase cases[] = {
        {"FileGroup", "QGroupBox", "File", false, true, -1, {0, 0, 185, 440}},
        {"FileSplitter", "arb::DockSplitter", "", false, true, -1, {185, 0, 3, 440}},
        {"MainPanel", "QWidget", "", false, true, -1, {188, 0, 550, 440}},
        {"MainDriveCombo",
         "QComboBox",
         fx.form->MainDriveCombo->currentText(),
         false,
         true,
         -1,
         {8, 16, 169, 19}},
        {"MainDirList", "QListWidget", "", false, true, -1, {8, 40, 169, 97}},
        {"MainFileList", "QListWidget", "", false, true, -1, {8, 144, 169, 268}},
        {"MainFileEdit", "QLineEdit", "*.tsv", false, true, -1, {8, 419, 169, 21}},
        {"Panel2", "QWidget", "", false, true, -1, {0, 0, 550, 73}},
        {"GroupBox1", "QGroupBox", "Board Range", false, true, -1, {0, 0, 161, 73}},
        {"BoardRangeCombo", "QComboBox", pm + "10V", false, true, -1, {8, 16, 145, 21}},
        {"HzRadios", "QGroupBox", "Sample Hz", false, true, -1, {161, 0, 161, 73}},
        {"tbHz", "QSlider", "", false, true, -1, {328, 8, 214, 33}},
        {"lblHz", "QLabel", "1000 Hz", false, true, -1, {336, 40, 198, 25}},
        {"ColRangeGroup",
         "QGroupBox",
         " per-Channel Ranges derived from file's column data, changing this will scale the data "
         "not change the output range ",
         true,
         true,
         -1,
         {0, 73, 550, 64}},
        {"FileLabel", "QLabel", "", false, true, -1, {0, 73, 550, 24}},
        {"Label1", "QLabel", "number of channels", false, true, -1, {381, 176, 93, 13}},
        {"cbNumDACs", "QComboBox", "1", false, true, -1, {381, 192, 145, 21}},
        {"BufDepthButton",
         "QPushButton",
         "Configure Buffer for 20 deep",
         true,
         true,
         -1,
         {376, 216, 161, 25}},
        {"BufDepth256Button",
         "QPushButton",
         "Configure Buffer for 256 deep",
         true,
         true,
         -1,
         {376, 248, 161, 25}},
        {"BufDepth1Button",
         "QPushButton",
         "Configure Ring for 1 deep (?)",
         true,
         true,
         -1,
         {376, 288, 161, 25}},
        {"GroupBox2", "QGroupBox", " Debug Data Display ", false, true, -1, {8, 160, 358, 244}},
        {"cbForever", "QCheckBox", "Repeat While Checked", false, false, 0, {373, 389, 169, 17}},
        {"LoadButton", "QPushButton", "&Load File", false, true, -1, {8, 411, 75, 25}},
        {"PlayButton", "QPushButton", "&Play", false, false, -1, {373, 411, 169, 25}},
        {"cbPadRaw", "QCheckBox", "Pad raw data", false, true, 1, {96, 416, 97, 17}},
        {"PlayReportLabel", "QLabel", "", false, true, -1, {176, 419, 190, 17}},
        {"Panel1", "QWidget", "", false, true, -1, {2, 15, 354, 18}},
        {"cbDisplayBuffer", "QCheckBox", "Show &Raw Data", false, true, 0, {0, 0, 217, 17}},
        {"cbDisplayFile", "QCheckBox", "Show &File Data", false, true, 1, {104, 16, 112, 17}},
        {"CountDataMemo", "arb::TextPane", "Memo1", false, true, -1, {2, 33, 103, 209}},
        {"Splitter1", "arb::DockSplitter", "", false, true, -1, {105, 33, 5, 209}},
        {"FileDataMemo", "arb::TextPane", "Memo2", false, true, -1, {110, 33, 246, 209}},
    };
    QCOMPARE(fx.form->windowTitle(), QStringLiteral("ARB Demo"));
    QCOMPARE(fx.form->size(), QSize(738, 440));
    for (const ControlCase& c : cases) {
        auto* w = fx.form->findChild<QWidget*>(QString::fromLatin1(c.name));
        QVERIFY2(w != nullptr, c.name);
        const QByteArray what = c.name;
        QVERIFY2(QByteArray(w->metaObject()->className()) == c.kind, what);
        QVERIFY2(TextOf(w) == c.text, what + ": " + TextOf(w).toUtf8());
        QVERIFY2(w->isHidden() == c.hidden, what);
        QVERIFY2(w->isEnabled() == c.enabled, what);
        if (c.checked >= 0) {
            QVERIFY2(qobject_cast<QCheckBox*>(w)->isChecked() == (c.checked == 1), what);
        }
        if (w == fx.form->Label1) { // sized to its text in the window's font
            QCOMPARE(w->pos(), c.bounds.topLeft());
            QCOMPARE(w->size(), w->sizeHint());
            continue;
        }
        QVERIFY2(w->geometry() == c.bounds,
                 what + ": " + QByteArray::number(w->x()) + "," + QByteArray::number(w->y()) + "," +
                     QByteArray::number(w->width()) + "," + QByteArray::number(w->height()));
    }
}

void StartupTest::selectionsAndRatesStartWithoutHandlers() {
    WindowFixture fx;
    arb::TMainForm& form = *fx.form;
    const QString pm = QString::fromUtf8("\u00b1");
    QCOMPARE(ItemsOf(form.BoardRangeCombo), (QStringList{"0-5V", pm + "5V", "0-10V", pm + "10V"}));
    QCOMPARE(form.BoardRangeCombo->currentIndex(), 3);
    QStringList channels;
    for (int n = 1; n <= 16; ++n) {
        channels << QString::number(n);
    }
    QCOMPARE(ItemsOf(form.cbNumDACs), channels);
    QCOMPARE(form.cbNumDACs->currentIndex(), 0);
    QCOMPARE(form.cbNumDACs->maxVisibleItems(), 16);

    QCOMPARE(form.HzGroup->buttons().size(), 5);
    QCOMPARE(form.HzGroup->checkedId(), 3);
    QCOMPARE(form.HzGroup->button(3)->text(), QStringLiteral("1&000"));
    // Items 0 to 2 stand in the first column from the top, 3 and 4 in the second.
    const auto at = [&](int id) { return form.HzGroup->button(id)->geometry().topLeft(); };
    QVERIFY(at(0).x() == at(1).x() && at(1).x() == at(2).x() && at(3).x() == at(4).x());
    QVERIFY(at(0).y() < at(1).y() && at(1).y() < at(2).y());
    QCOMPARE(at(3).y(), at(0).y());
    QVERIFY(at(3).x() > at(0).x());

    QCOMPARE(form.tbHz->minimum(), 256);
    QCOMPARE(form.tbHz->maximum(), 8192);
    QCOMPARE(form.tbHz->value(), 1000);
    QCOMPARE(form.tbHz->pageStep(), 512);
    QCOMPARE(form.tbHz->tickInterval(), 1000);
    QCOMPARE(form.tbHz->tickPosition(), QSlider::TicksBelow);

    // Nothing ran while the window was built: no table, no rate, no board call, no box.
    QVERIFY(form.Rows() == nullptr);
    QVERIFY(form.ChannelControls().empty());
    QCOMPARE(form.SampleHz(), 0.0);
    QVERIFY(fx.board.calls().empty());
    QVERIFY(fx.boxes.boxes.empty());
    QCOMPARE(QDir::currentPath(), QDir(fx.folder.path()).canonicalPath());
}

void StartupTest::focusFollowsTheDesignedOrder() {
    WindowFixture fx;
    arb::TMainForm& form = *fx.form;
    const QList<QWidget*> expected = {
        form.MainDriveCombo,  form.MainDirList,        form.MainFileList, form.MainFileEdit,
        form.BoardRangeCombo, form.HzGroup->button(3), form.tbHz,         form.LoadButton,
        form.cbNumDACs,       form.CountDataMemo,      form.FileDataMemo, form.cbDisplayBuffer,
        form.cbDisplayFile,   form.cbPadRaw,
    };
    form.MainDriveCombo->setFocus();
    QList<QWidget*> seen{QApplication::focusWidget()};
    for (qsizetype i = 1; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        seen << QApplication::focusWidget();
    }
    for (qsizetype i = 0; i < expected.size(); ++i) {
        // A text pane takes the focus through the editor or view it shows.
        QWidget* const target = expected[i]->focusProxy() ? expected[i]->focusProxy() : expected[i];
        QVERIFY2(seen[i] == target, qPrintable(QStringLiteral("step %1: %2")
                                                   .arg(i)
                                                   .arg(seen[i] ? seen[i]->objectName() : "none")));
    }

    // Within the preset group the arrow keys move the selection, as in any radio group.
    form.HzGroup->button(3)->setFocus();
    QTest::keyClick(form.HzGroup->button(3), Qt::Key_Down);
    QCOMPARE(form.HzGroup->checkedId(), 4);
    QCOMPARE(QApplication::focusWidget(), form.HzGroup->button(4));
}

void StartupTest::debugPanesKeepTheirOwnFont() {
    WindowFixture fx;
    for (const arb::TextPane* pane : {fx.form->CountDataMemo, fx.form->FileDataMemo}) {
        QCOMPARE(pane->font().family(), QStringLiteral("Lucida Console"));
        QCOMPARE(pane->font().pointSize(), 8);
    }
    // Every other control follows the window's font, which is no longer the design font.
    QVERIFY(fx.form->font().family() != QStringLiteral("MS Sans Serif") ||
            !arb::QueryDesktopMessageFont().has_value());
    QCOMPARE(fx.form->LoadButton->font(), fx.form->font());
}

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
