#pragma once
// The full-screen overlay of a screen capture: the grabbed screen, dimmed, with the
// rectangle being dragged shown clear and a short hint of what to do. Releasing the mouse
// hands over that part of the grab; Esc calls the capture off.

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>

namespace quillory {

class CaptureOverlay : public QWidget {
    Q_OBJECT
  public:
    // `shot` is the whole screen in device pixels.
    explicit CaptureOverlay(QImage shot, QWidget* parent = nullptr);

    // Where the hint is drawn: the first place along the edges, top middle first, that
    // keeps clear of the rectangle being dragged; empty when the rectangle leaves none.
    QRect HintRect() const;

  signals:
    void chosen(const QImage& region);
    void cancelled();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QRect Selection() const;

    QImage shot_;
    QPoint from_;
    QPoint to_;
    bool dragging_ = false;
};

}  // namespace quillory
