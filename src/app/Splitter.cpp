#include "Splitter.h"

#include <QMouseEvent>

#include <algorithm>

namespace quillory {

namespace {
constexpr int kMinimumPanel = 30;  // neither side is dragged out of sight
}

Splitter::Splitter(QWidget* parent) : QWidget(parent) {
    setFixedWidth(8);
    setCursor(Qt::SplitHCursor);
}

void Splitter::DragBy(int dx) {
    if (control_)
        Resize(control_->width() - dx);
}

void Splitter::Resize(int width) {
    const int room =
        parentWidget() ? parentWidget()->width() - this->width() - kMinimumPanel : width;
    control_->setFixedWidth(std::clamp(width, kMinimumPanel, std::max(kMinimumPanel, room)));
}

void Splitter::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !control_)
        return;
    dragging_ = true;
    pressX_ = event->globalPosition().toPoint().x();
    startWidth_ = control_->width();
}

void Splitter::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_ || !control_)
        return;
    const int dx = event->globalPosition().toPoint().x() - pressX_;
    Resize(startWidth_ - dx);
}

void Splitter::mouseReleaseEvent(QMouseEvent*) {
    dragging_ = false;
}

}  // namespace quillory
