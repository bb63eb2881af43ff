#include "ButtonEdit.h"

#include <QToolButton>

namespace quillory {

ButtonEdit::ButtonEdit(QWidget* parent) : QLineEdit(parent), button_(new QToolButton(this)) {
    button_->setObjectName(QStringLiteral("ellipsisButton"));
    button_->setText(QStringLiteral("…"));
    button_->setCursor(Qt::ArrowCursor);
    button_->setFocusPolicy(Qt::NoFocus);
    connect(button_, &QToolButton::clicked, this, &ButtonEdit::buttonClicked);
}

void ButtonEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    const int side = height() - 2;
    button_->setGeometry(width() - side - 1, 1, side, side);
    setTextMargins(0, 0, side, 0);
}

}  // namespace quillory
