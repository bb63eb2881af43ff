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
