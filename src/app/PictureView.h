#pragma once
// The picture view: shows the held picture centred and shrunk to fit, over its parent's
// background, and offers the editing commands that decide what a recognition sends.

#include <QByteArray>
#include <QImageIOHandler>
#include <QList>
#include <QRect>
#include <QRectF>
#include <QWidget>

#include <memory>

class QAction;
class QImage;
class QMenu;
class QPainter;

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
    // Holds the image as a bitmap, as a paste does; `origin` says where it came from.
    void SetImage(const QImage& image, const QString& origin = QString());
    // The file the held picture was loaded from; empty after a paste, a delete or a cut.
    QString SourcePath() const { return source_; }
    // What the held picture is: its file, else where it came from (a paste, a capture);
    // empty when nothing is held.
    QString HeldName() const;
    // How a JPEG's own orientation tag turns its stored pixels for showing; none otherwise.
    // The picture is shown turned, its boxes (in stored pixels) with it; the bytes sent are
    // the stored ones.
    QImageIOHandler::Transformations Orientation() const { return orientation_; }
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

    // Where each recognised line was found, in the picture's pixels, drawn as thin boxes
    // over it; an empty box marks a line without one. Forgotten when the picture changes.
    void SetTextBoxes(const QList<QRectF>& boxes);
    // The boxes drawn stronger (the lines of a paragraph); -1 or none for none.
    void MarkBox(int index);
    void MarkBoxes(const QList<int>& indices);
    int MarkedBox() const { return marked_.isEmpty() ? -1 : marked_.first(); }
    QList<int> MarkedBoxes() const { return marked_; }
    // A box where it is drawn in the client area; empty when it has none.
    QRect BoxOnScreen(int index) const;
    // The checkable entry that hides and shows the boxes.
    QAction* BoxesAction() const { return showBoxes_; }
    // Counts the picture's changes, so that a late result can tell whether it still fits.
    quint64 PictureSerial() const { return serial_; }

  signals:
    void boxClicked(int index);
    // The held picture was replaced or removed: loaded, pasted, cut or deleted.
    void heldPictureChanged();
    // A picture came from the clipboard through the view's own Paste.
    void pasted();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void CreateMenu();
    void UpdateActions();
    void PictureChanged();
    void DrawBoxes(QPainter& painter) const;
    void ReadOrientation();
    QSize ShownSize() const;

    std::unique_ptr<pictures::TPicture> picture_;
    QMenu* menu_ = nullptr;
    QAction* cut_ = nullptr;
    QAction* copy_ = nullptr;
    QAction* paste_ = nullptr;
    QAction* delete_ = nullptr;
    QAction* load_ = nullptr;
    QAction* saveAs_ = nullptr;
    QAction* showBoxes_ = nullptr;
    QString source_;
    QString origin_;
    QImageIOHandler::Transformations orientation_ = QImageIOHandler::TransformationNone;
    QList<QRectF> boxes_;
    QList<int> marked_;
    quint64 serial_ = 0;
    // A picture that failed to draw says so once, not on every repaint.
    bool drawErrorShown_ = false;
};

}  // namespace quillory
