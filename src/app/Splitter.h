#pragma once
// A splitter bar docked beside a panel: dragging it changes the width of that panel only,
// and the client area beside it takes the rest. Without a panel it does nothing.

#include <QPointer>
#include <QWidget>

namespace quillory {

class Splitter : public QWidget {
    Q_OBJECT
  public:
    explicit Splitter(QWidget* parent = nullptr);

    // The right-docked panel this bar resizes, or none.
    void SetControl(QWidget* control) { control_ = control; }
    QWidget* Control() const { return control_; }

    // Moves the bar by dx pixels (negative: to the left, widening the panel).
    void DragBy(int dx);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void Resize(int width);

    QPointer<QWidget> control_;
    int pressX_ = 0;
    int startWidth_ = 0;
    bool dragging_ = false;
};

}  // namespace quillory
