#pragma once
// A text field with one ellipsis button inside its right edge.

#include <QLineEdit>

class QToolButton;

namespace quillory {

class ButtonEdit : public QLineEdit {
    Q_OBJECT
  public:
    explicit ButtonEdit(QWidget* parent = nullptr);
    QToolButton* Button() const { return button_; }

  signals:
    void buttonClicked();

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    QToolButton* button_;
};

}  // namespace quillory
