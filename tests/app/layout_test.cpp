// Docking and anchors when the window is resized, and the two splitters.

#include "app/dock_splitter.h"
#include "tests/app/window_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSlider>
#include <QtTest>

using arb::test::WindowFixture;

namespace {

struct Bounds {
    const char* name;
    QRect bounds;
};

void CheckBounds(const arb::TMainForm& form, std::initializer_list<Bounds> expected) {
    for (const Bounds& b : expected) {
        const auto* w = form.findChild<QWidget*>(QString::fromLatin1(b.name));
        QVERIFY2(w != nullptr, b.name);
        const QRect r = w->geometry();
        QVERIFY2(r == b.bounds, qPrintable(QStringLiteral("%1: %2,%3,%4,%5")
                                               .arg(b.name)
                                               .arg(r.x())
                                               .arg(r.y())
                                               .arg(r.width())
                                               .arg(r.height())));
    }
}

void SendMouse(QWidget* w, QEvent::Type type, int globalX, Qt::MouseButtons buttons) {
    const QPointF global(globalX, w->mapToGlobal(QPoint(0, 10)).y());
    QMouseEvent event(type, w->mapFromGlobal(global), global, Qt::LeftButton, buttons, {});
    QApplication::sendEvent(w, &event);
}

// Drags the splitter by `dx` pixels; `whileDragging` runs before the button is let go.
void Drag(arb::DockSplitter* splitter, int dx, const std::function<void()>& whileDragging = {}) {
    const int x = splitter->mapToGlobal(QPoint(1, 0)).x();
    SendMouse(splitter, QEvent::MouseButtonPress, x, Qt::LeftButton);
    SendMouse(splitter, QEvent::MouseMove, x + dx / 2, Qt::LeftButton);
    SendMouse(splitter, QEvent::MouseMove, x + dx, Qt::LeftButton);
    if (whileDragging) {
        whileDragging();
    }
    SendMouse(splitter, QEvent::MouseButtonRelease, x + dx, Qt::NoButton);
}

} // namespace

class LayoutTest : public QObject {
    Q_OBJECT

  private slots:
    void widerAndTallerWindowStretchesTheAnchoredControls();
    void fileSplitterResizesTheFilePaneLive();
    void splitter1ResizesOnReleaseAndSnapsShut();
};

void LayoutTest::widerAndTallerWindowStretchesTheAnchoredControls() {
    WindowFixture fx;
    fx.form->resize(738 + 100, 440 + 60);
    QCoreApplication::processEvents();
    CheckBounds(*fx.form, {
                              {"FileGroup", {0, 0, 185, 500}},
                              {"FileSplitter", {185, 0, 3, 500}},
                              {"MainPanel", {188, 0, 650, 500}},
                              {"MainDriveCombo", {8, 16, 169, 19}},
                              {"MainFileList", {8, 144, 169, 328}},
                              {"MainFileEdit", {8, 479, 169, 21}},
                              {"Panel2", {0, 0, 650, 73}},
                              {"HzRadios", {161, 0, 161, 73}},
                              {"tbHz", {328, 8, 314, 33}},
                              {"lblHz", {336, 40, 298, 25}},
                              {"FileLabel", {0, 73, 650, 24}},
                              {"cbNumDACs", {481, 192, 145, 21}},
                              {"BufDepth1Button", {476, 288, 161, 25}},
                              {"GroupBox2", {8, 160, 458, 304}},
                              {"cbForever", {473, 449, 169, 17}},
                              {"LoadButton", {8, 471, 75, 25}},
                              {"PlayButton", {473, 471, 169, 25}},
                              {"cbPadRaw", {96, 416, 97, 17}},
                              {"PlayReportLabel", {276, 479, 190, 17}},
                              {"Panel1", {2, 15, 454, 18}},
                              {"CountDataMemo", {2, 33, 103, 269}},
                              {"Splitter1", {105, 33, 5, 269}},
                              {"FileDataMemo", {110, 33, 346, 269}},
                              {"cbDisplayFile", {104, 16, 112, 17}},
                          });
    QCOMPARE(fx.form->Label1->x(), 481);

    // Back to the design size, everything is back in its place.
    fx.form->resize(738, 440);
    QCoreApplication::processEvents();
    CheckBounds(*fx.form, {{"MainFileList", {8, 144, 169, 268}},
                           {"GroupBox2", {8, 160, 358, 244}},
                           {"PlayButton", {373, 411, 169, 25}},
                           {"FileDataMemo", {110, 33, 246, 209}}});
}

void LayoutTest::fileSplitterResizesTheFilePaneLive() {
    WindowFixture fx;
    arb::TMainForm& form = *fx.form;
    int widthWhileDragging = 0;
    Drag(form.FileSplitter, 50, [&] { widthWhileDragging = form.FileGroup->width(); });
    QCOMPARE(widthWhileDragging, 235); // followed the mouse before the button was let go
    CheckBounds(form, {{"FileGroup", {0, 0, 235, 440}},
                       {"FileSplitter", {235, 0, 3, 440}},
                       {"MainPanel", {238, 0, 500, 440}},
                       {"MainDriveCombo", {8, 16, 219, 19}},
                       {"MainDirList", {8, 40, 219, 97}},
                       {"MainFileList", {8, 144, 219, 268}},
                       {"MainFileEdit", {8, 419, 219, 21}},
                       {"tbHz", {328, 8, 164, 33}},
                       {"PlayButton", {323, 411, 169, 25}}});

    // The pane keeps at least 30, and leaves at least 30 to the main panel.
    Drag(form.FileSplitter, -1000);
    QCOMPARE(form.FileGroup->width(), 30);
    Drag(form.FileSplitter, 2000);
    QCOMPARE(form.MainPanel->width(), 30);
    QCOMPARE(form.MainPanel->geometry().right(), 737);
}

void LayoutTest::splitter1ResizesOnReleaseAndSnapsShut() {
    WindowFixture fx;
    arb::TMainForm& form = *fx.form;
    int memoWhileDragging = 0;
    bool lineShown = false;
    int lineX = 0;
    Drag(form.Splitter1, 40, [&] {
        memoWhileDragging = form.CountDataMemo->width();
        lineShown = form.Splitter1->dragLine()->isVisible();
        lineX = form.Splitter1->dragLine()->x();
    });
    QCOMPARE(memoWhileDragging, 103); // only the line moves while dragging
    QVERIFY(lineShown);
    QCOMPARE(lineX, 145);
    QVERIFY(!form.Splitter1->dragLine()->isVisible());
    CheckBounds(form, {{"CountDataMemo", {2, 33, 143, 209}},
                       {"Splitter1", {145, 33, 5, 209}},
                       {"FileDataMemo", {150, 33, 206, 209}},
                       {"cbDisplayFile", {145, 16, 112, 17}}});

    // Dragged to 30 or less, the code pane snaps shut and the check box follows the splitter.
    Drag(form.Splitter1, 30 - 143);
    CheckBounds(form, {{"CountDataMemo", {2, 33, 0, 209}},
                       {"Splitter1", {2, 33, 5, 209}},
                       {"FileDataMemo", {7, 33, 349, 209}},
                       {"cbDisplayFile", {2, 16, 112, 17}}});

    // And it opens again.
    Drag(form.Splitter1, 60);
    QCOMPARE(form.CountDataMemo->width(), 60);
    QCOMPARE(form.cbDisplayFile->x(), 62);
}

QTEST_MAIN(LayoutTest)
#include "layout_test.moc"
