#pragma once
// The picture view: shows the held picture centred and shrunk to fit, over its parent's
// background, and offers the editing commands that decide what a recognition sends.

#include <QByteArray>
#include <QRect>
#include <QWidget>

#include <memory>

class QAction;
class QMenu;

namespace pictures {
class TPicture;
}

namespace quillory {

class PictureView : public QWidget {
    Q_OBJECT
  public:
    explicit PictureView(QWidget* parent = nullptr);
    ~PictureView() override;

    pictures::TPicture& Picture() { return *picture_; }

    // Loads a file through the picture holder; a failed load keeps the previous picture.
    void LoadFromFile(const QString& path);
    // A picture that is not empty is held.
    bool HoldsPicture() const;
    // The held picture in its own kind's file format.
    QByteArray PictureBytes() const;
    // Where the held picture is drawn in the client area; empty when nothing is held.
    QRect DrawnRect() const;

    // The editing commands and whether each is enabled now.
    void Cut();
    void Copy();
    void Paste();
    void Delete();
    void Load();
    void SaveAs();
    bool CanCopy() const { return HoldsPicture(); }
    bool CanPaste() const;
    QMenu* ContextMenu() const { return menu_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    void CreateMenu();
    void UpdateActions();
    void PictureChanged();

    std::unique_ptr<pictures::TPicture> picture_;
    QMenu* menu_ = nullptr;
    QAction* cut_ = nullptr;
    QAction* copy_ = nullptr;
    QAction* paste_ = nullptr;
    QAction* delete_ = nullptr;
    QAction* load_ = nullptr;
    QAction* saveAs_ = nullptr;
    // A picture that failed to draw says so once, not on every repaint.
    bool drawErrorShown_ = false;
};

}  // namespace quillory
