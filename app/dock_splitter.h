#pragma once

#include <QFrame>
#include <QPointer>

namespace arb {

// A splitter docked left, right of the control it resizes (`target`, docked left in the same
// parent). Dragging it changes the target's width; the target keeps at least `minSize`, and at
// least `minSize` is left to the controls after the splitter.
//   Live: the target follows the mouse while it moves.
//   Line: a line shows where the splitter would go, and the target is resized on release;
//         with snapping, a width of `minSize` or less closes the target (width 0).
// moved() is emitted when a drag ends.
class DockSplitter : public QFrame {
    Q_OBJECT

  public:
    enum class Style { Live, Line };

    DockSplitter(QWidget* parent, QWidget* target, Style style, bool snapShut, int minSize = 30);

    // The line shown during a Line drag (hidden otherwise), for tests.
    const QWidget* dragLine() const { return line_; }

  signals:
    void moved();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    int proposedWidth(const QMouseEvent* event) const;
    void applyWidth(int width);

    QWidget* target_;
    Style style_;
    bool snapShut_;
    int minSize_;
    bool dragging_ = false;
    int startGlobalX_ = 0;
    int startWidth_ = 0;
    QWidget* line_ = nullptr;
};

} // namespace arb
