#include "CaptureOverlay.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace quillory {

CaptureOverlay::CaptureOverlay(QImage shot, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool),
      shot_(std::move(shot)) {
    setObjectName(QStringLiteral("captureOverlay"));
    setAttribute(Qt::WA_DeleteOnClose);
    setCursor(Qt::CrossCursor);
    setFocusPolicy(Qt::StrongFocus);
}

QRect CaptureOverlay::Selection() const {
    return QRect(from_, to_).normalized();
}

void CaptureOverlay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(rect(), shot_);
    painter.fillRect(rect(), QColor(0, 0, 0, 110));
    if (!dragging_)
        return;
    const QRect dragged = Selection();
    const double scale = double(shot_.width()) / std::max(1, width());
    painter.drawImage(dragged, shot_,
                      QRectF(dragged.left() * scale, dragged.top() * scale, dragged.width() * scale,
                             dragged.height() * scale));
    painter.setPen(QPen(QColor(0, 120, 215), 1));
    painter.drawRect(dragged.adjusted(0, 0, -1, -1));
}

void CaptureOverlay::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    from_ = to_ = event->position().toPoint();
    dragging_ = true;
    update();
}

void CaptureOverlay::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_)
        return;
    to_ = event->position().toPoint();
    update();
}

void CaptureOverlay::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_ || event->button() != Qt::LeftButton)
        return;
    dragging_ = false;
    to_ = event->position().toPoint();
    // The grab may have more pixels than the overlay has points (a scaled screen).
    const double scale = double(shot_.width()) / std::max(1, width());
    const QRect dragged = Selection();
    const QRect pixels = QRectF(dragged.left() * scale, dragged.top() * scale,
                                dragged.width() * scale, dragged.height() * scale)
                             .toAlignedRect()
                             .intersected(shot_.rect());
    if (pixels.width() < 2 || pixels.height() < 2) {
        update();  // a click, not a drag: choose again
        return;
    }
    hide();
    emit chosen(shot_.copy(pixels));
    close();
}

void CaptureOverlay::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Escape) {
        QWidget::keyPressEvent(event);
        return;
    }
    hide();
    emit cancelled();
    close();
}

}  // namespace quillory
