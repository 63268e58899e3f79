#pragma once

#include <QMargins>
#include <QObject>
#include <QSize>
#include <QWidget>

#include <vector>

namespace arb {

enum class Dock { Left, Top, Fill };

enum Anchor : unsigned {
    AnchorLeft = 1,
    AnchorTop = 2,
    AnchorRight = 4,
    AnchorBottom = 8,
};

// Places the children of one parent the way the window was designed: docked children fill the
// parent's dock area in turn (top-docked first, from the top down, then left-docked from the left,
// then the filling one; a hidden one takes no space), and every anchored child keeps its distance
// to the edges it is anchored to. Runs whenever the parent is resized; call relayout() after
// changing a docked child's width or height.
class ControlLayout : public QObject {
    Q_OBJECT

  public:
    // `dockMargins`: the part of the parent that docked children do not use (a group box's
    // frame and caption).
    explicit ControlLayout(QWidget* parent, QMargins dockMargins = {});

    // In docking order. Uses the child's current width (left) or height (top).
    void dock(QWidget* child, Dock how);
    // Records the child's distances from the parent's current size, which is the design size.
    void anchor(QWidget* child, unsigned anchors);

    void relayout();

    // The part of the parent that docked children share.
    QRect dockArea() const { return parent_->rect().marginsRemoved(dockMargins_); }

    // The layout of `parent`, if it has one.
    static ControlLayout* of(QWidget* parent);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Docked {
        QWidget* child;
        Dock how;
    };
    struct Anchored {
        QWidget* child;
        unsigned anchors;
        QRect designBounds;
    };

    QWidget* parent_;
    QMargins dockMargins_;
    QSize designSize_;
    std::vector<Docked> docked_;
    std::vector<Anchored> anchored_;
};

} // namespace arb
