#include "CaptureOverlay.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "Texts.h"

namespace quillory {

namespace {

constexpr int kHintPixels = 16;   // the hint's text size
constexpr int kHintPadding = 10;  // around the text, inside its box
constexpr int kHintMargin = 24;   // between the box and the screen's edge or the rectangle

}  // namespace

CaptureOverlay::CaptureOverlay(QImage shot, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool),
      shot_(std::move(shot)) {
    setObjectName(QStringLiteral("captureOverlay"));
    setAttribute(Qt::WA_DeleteOnClose);
    setCursor(Qt::CrossCursor);
    setFocusPolicy(Qt::StrongFocus);
    QFont hint = font();
    hint.setPixelSize(kHintPixels);
    setFont(hint);
}

QRect CaptureOverlay::Selection() const {
    return QRect(from_, to_).normalized();
}

QRect CaptureOverlay::HintRect() const {
    const QSize text = QFontMetrics(font()).size(Qt::TextSingleLine, texts::kCaptureHint);
    const QSize box = text + QSize(2 * kHintPadding, 2 * kHintPadding);
    const QRect area = rect().marginsRemoved(QMargins(kHintMargin, kHintMargin, kHintMargin,
                                                      kHintMargin));
    const int middle = area.left() + (area.width() - box.width()) / 2;
    const int right = area.right() + 1 - box.width();
    const int bottom = area.bottom() + 1 - box.height();
    // Kept a margin away from the rectangle too, so that its edges stay easy to see.
    const QRect kept = dragging_ ? Selection().marginsAdded(QMargins(kHintMargin, kHintMargin,
                                                                      kHintMargin, kHintMargin))
                                 : QRect();
    for (const QPoint at : {QPoint(middle, area.top()), QPoint(middle, bottom),
                            QPoint(area.left(), area.top()), QPoint(right, area.top()),
                            QPoint(area.left(), bottom), QPoint(right, bottom)}) {
        const QRect place(at, box);
        if (!place.intersects(kept))
            return place;
    }
    return {};
}

void CaptureOverlay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(rect(), shot_);
    painter.fillRect(rect(), QColor(0, 0, 0, 110));
    if (dragging_) {
        const QRect dragged = Selection();
        const double scale = double(shot_.width()) / std::max(1, width());
        painter.drawImage(dragged, shot_,
                          QRectF(dragged.left() * scale, dragged.top() * scale,
                                 dragged.width() * scale, dragged.height() * scale));
        painter.setPen(QPen(QColor(0, 120, 215), 1));
        painter.drawRect(dragged.adjusted(0, 0, -1, -1));
    }
    const QRect hint = HintRect();
    if (hint.isEmpty())
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 180));
    painter.drawRoundedRect(hint, 6, 6);
    painter.setPen(Qt::white);
    painter.drawText(hint, Qt::AlignCenter, texts::kCaptureHint);
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
