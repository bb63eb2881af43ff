#include "PictureView.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QImageReader>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include "ErrorBox.h"
#include "PictureFit.h"
#include "Texts.h"
#include "pictures/jpeg_image.h"
#include "pictures/picture.h"

namespace quillory {

namespace {

bool Matches(const QKeyEvent* event, Qt::KeyboardModifiers modifiers, int key) {
    return event->key() == key && (event->modifiers() & ~Qt::KeypadModifier) == modifiers;
}

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

PictureView::PictureView(QWidget* parent)
    : QWidget(parent), picture_(std::make_unique<pictures::TPicture>()) {
    setFocusPolicy(Qt::StrongFocus);
    // No background of its own: the parent's shows around and through the picture.
    setAutoFillBackground(false);
    picture_->SetOnChange([this] { PictureChanged(); });
    CreateMenu();
}

PictureView::~PictureView() = default;

void PictureView::CreateMenu() {
    menu_ = new QMenu(this);
    menu_->setObjectName(QStringLiteral("pictureMenu"));
    const auto add = [this](const QString& text, void (PictureView::*command)()) {
        QAction* action = menu_->addAction(text);
        connect(action, &QAction::triggered, this,
                [this, command] { RunGuarded([&] { (this->*command)(); }); });
        return action;
    };
    cut_ = add(QStringLiteral("Cu&t"), &PictureView::Cut);
    copy_ = add(QStringLiteral("&Copy"), &PictureView::Copy);
    paste_ = add(QStringLiteral("&Paste"), &PictureView::Paste);
    delete_ = add(QStringLiteral("&Delete"), &PictureView::Delete);
    menu_->addSeparator();
    load_ = add(QStringLiteral("&Load..."), &PictureView::Load);
    saveAs_ = add(QStringLiteral("Save &As..."), &PictureView::SaveAs);
    menu_->addSeparator();
    showBoxes_ = menu_->addAction(texts::kShowBoxes);
    showBoxes_->setObjectName(QStringLiteral("showBoxesAction"));
    showBoxes_->setCheckable(true);
    showBoxes_->setChecked(true);
    showBoxes_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    connect(showBoxes_, &QAction::toggled, this, qOverload<>(&QWidget::update));
    UpdateActions();
}

void PictureView::UpdateActions() {
    const bool held = HoldsPicture();
    cut_->setEnabled(held);
    copy_->setEnabled(held);
    paste_->setEnabled(CanPaste());
    delete_->setEnabled(held);
    load_->setEnabled(true);
    saveAs_->setEnabled(held);
}

void PictureView::PictureChanged() {
    ReadOrientation();
    drawErrorShown_ = false;
    ++serial_;
    boxes_.clear();
    marked_.clear();
    update();
}

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
    const QRectF box =
        Oriented(orientation_, QSizeF(picture_->Width(), picture_->Height())).mapRect(boxes_[index]);
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

void PictureView::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || !showBoxes_->isChecked())
        return;
    const QPoint at = event->position().toPoint();
    for (int i = int(boxes_.size()) - 1; i >= 0; --i) {
        if (BoxOnScreen(i).contains(at)) {
            MarkBox(i);
            emit boxClicked(i);
            return;
        }
    }
}

void PictureView::LoadFromFile(const QString& path) {
    picture_->LoadFromFile(path);
    PictureChanged();
    source_ = path;
    origin_.clear();
    emit heldPictureChanged();
}

QString PictureView::HeldName() const {
    if (!HoldsPicture())
        return {};
    return source_.isEmpty() ? origin_ : source_;
}

bool PictureView::HoldsPicture() const {
    return !picture_->Empty();
}

QByteArray PictureView::PictureBytes() const {
    return picture_->SaveToBytes();
}

QRect PictureView::DrawnRect() const {
    if (!HoldsPicture())
        return {};
    return FitPictureRect(size(), ShownSize());
}

bool PictureView::CanPaste() const {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data && data->hasImage();
}

void PictureView::Cut() {
    if (!HoldsPicture())
        return;
    Copy();
    Delete();
}

void PictureView::Copy() {
    if (!HoldsPicture())
        return;
    const QImage image = picture_->ClipboardImage();
    if (!image.isNull())
        QApplication::clipboard()->setImage(image);
}

void PictureView::Paste() {
    const QImage image = QApplication::clipboard()->image();
    if (image.isNull())
        return;
    SetImage(image, texts::kPastedPicture);
    emit pasted();
}

void PictureView::SetImage(const QImage& image, const QString& origin) {
    picture_->PasteImage(image);
    PictureChanged();
    source_.clear();
    origin_ = origin;
    emit heldPictureChanged();
}

void PictureView::Delete() {
    picture_->Clear();
    PictureChanged();
    source_.clear();
    origin_.clear();
    emit heldPictureChanged();
}

void PictureView::Load() {
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("打开图片"), QString(),
                                                      QStringLiteral("位图 (*.bmp)"));
    if (!path.isEmpty())
        LoadFromFile(path);
}

void PictureView::SaveAs() {
    if (!HoldsPicture())
        return;
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("图片另存为"));
    if (!path.isEmpty())
        picture_->Graphic()->SaveToFile(path);
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
        painter.setTransform(Oriented(orientation_, stored) *
                                 QTransform::fromTranslate(drawn.left(), drawn.top()),
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

void PictureView::contextMenuEvent(QContextMenuEvent* event) {
    UpdateActions();
    const QPoint where = event->reason() == QContextMenuEvent::Keyboard
                             ? mapToGlobal(QPoint(10, 10))
                             : event->globalPos();
    menu_->popup(where);
}

void PictureView::keyPressEvent(QKeyEvent* event) {
    const auto run = [](const std::function<void()>& command) { RunGuarded(command); };
    if (Matches(event, Qt::ControlModifier, Qt::Key_Insert) ||
        Matches(event, Qt::ControlModifier, Qt::Key_C)) {
        run([this] { Copy(); });
    } else if (Matches(event, Qt::ShiftModifier, Qt::Key_Insert) ||
               Matches(event, Qt::ControlModifier, Qt::Key_V)) {
        run([this] { Paste(); });
    } else if (Matches(event, Qt::ShiftModifier, Qt::Key_Delete) ||
               Matches(event, Qt::ControlModifier, Qt::Key_X)) {
        run([this] { Cut(); });
    } else {
        QWidget::keyPressEvent(event);
    }
}

void PictureView::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void PictureView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

}  // namespace quillory
