// The picture view's drawing: the picture as its orientation shows it, and the line boxes
// over it in the same turn.

#include "PictureView.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QTimer>
#include <QTransform>

#include "ErrorBox.h"
#include "PictureFit.h"
#include "pictures/jpeg_image.h"
#include "pictures/picture.h"

namespace quillory {
namespace {

bool Turned(QImageIOHandler::Transformations turn) {
    return turn & QImageIOHandler::TransformationRotate90;
}

// Takes a picture of `stored` size to where its orientation shows it: mirrored and flipped
// first, then turned a quarter clockwise, as a reader applying the tag does.
QTransform Oriented(QImageIOHandler::Transformations turn, QSizeF stored) {
    QTransform transform;
    if (turn == QImageIOHandler::TransformationRotate270)
        return QTransform(0, -1, 1, 0, 0, stored.width());
    if (turn & QImageIOHandler::TransformationMirror)
        transform *= QTransform(-1, 0, 0, 1, stored.width(), 0);
    if (turn & QImageIOHandler::TransformationFlip)
        transform *= QTransform(1, 0, 0, -1, 0, stored.height());
    if (Turned(turn))
        transform *= QTransform(0, 1, -1, 0, stored.height(), 0);
    return transform;
}

}  // namespace

void PictureView::SetTextBoxes(const QList<QRectF>& boxes) {
    boxes_ = boxes;
    marked_.clear();
    update();
}

void PictureView::MarkBox(int index) {
    MarkBoxes({index});
}

void PictureView::MarkBoxes(const QList<int>& indices) {
    marked_.clear();
    for (int index : indices) {
        if (index >= 0 && index < boxes_.size())
            marked_.append(index);
    }
    update();
}

void PictureView::ReadOrientation() {
    orientation_ = QImageIOHandler::TransformationNone;
    if (!dynamic_cast<pictures::TJPEGImage*>(picture_->Graphic()))
        return;
    QByteArray bytes = picture_->SaveToBytes();
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "jpeg");
    orientation_ = reader.transformation();
}

QSize PictureView::ShownSize() const {
    const QSize stored(picture_->Width(), picture_->Height());
    return Turned(orientation_) ? stored.transposed() : stored;
}

QRect PictureView::BoxOnScreen(int index) const {
    const QRect drawn = DrawnRect();
    if (index < 0 || index >= boxes_.size() || boxes_[index].isEmpty() || drawn.isEmpty())
        return {};
    // The picture's fit scales both directions alike, up to the truncation of its size.
    const QSize shown = ShownSize();
    const double sx = double(drawn.width()) / shown.width();
    const double sy = double(drawn.height()) / shown.height();
    const QRectF box = Oriented(orientation_, QSizeF(picture_->Width(), picture_->Height()))
                           .mapRect(boxes_[index]);
    return QRectF(drawn.left() + box.left() * sx, drawn.top() + box.top() * sy, box.width() * sx,
                  box.height() * sy)
        .toAlignedRect();
}

void PictureView::DrawBoxes(QPainter& painter) const {
    if (!showBoxes_->isChecked())
        return;
    const QColor colour(0, 120, 215);
    for (int i = 0; i < boxes_.size(); ++i) {
        const QRect box = BoxOnScreen(i);
        if (box.isEmpty())
            continue;
        if (marked_.contains(i)) {
            QColor fill = colour;
            fill.setAlpha(60);
            painter.fillRect(box, fill);
        }
        painter.setPen(QPen(colour, marked_.contains(i) ? 2 : 1));
        painter.drawRect(box.adjusted(0, 0, -1, -1));
    }
}

QRect PictureView::DrawnRect() const {
    if (!HoldsPicture())
        return {};
    return FitPictureRect(size(), ShownSize());
}

void PictureView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect client = rect();
    const bool focused = hasFocus();
    if (focused) {
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
        painter.drawRect(client.adjusted(0, 0, -1, -1));
        painter.setClipRect(client.adjusted(1, 1, -1, -1));
    }
    if (!HoldsPicture())
        return;
    try {
        const QRect drawn = DrawnRect();
        // Drawn in stored pixels, turned onto the shown rectangle.
        const QSize stored = Turned(orientation_) ? drawn.size().transposed() : drawn.size();
        painter.save();
        painter.setTransform(
            Oriented(orientation_, stored) * QTransform::fromTranslate(drawn.left(), drawn.top()),
            true);
        picture_->Draw(painter, QRect(QPoint(0, 0), stored));
        painter.restore();
        DrawBoxes(painter);
    } catch (...) {
        if (drawErrorShown_)
            return;
        drawErrorShown_ = true;
        // Not from inside the paint: the error box runs its own event loop.
        QTimer::singleShot(0, this, [error = std::current_exception()] { ShowError(error); });
    }
}

}  // namespace quillory
