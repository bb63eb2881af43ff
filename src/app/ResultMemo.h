#pragma once
// A result memo: the recognised lines, each followed by an empty line. It knows how many
// lines it shows, so that they can be copied without the spacers (with the user's
// corrections), and tells which line the mouse or the cursor is on, so that the picture
// view can mark its box.

#include <QPlainTextEdit>

class QAction;

namespace quillory {

class ResultMemo : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit ResultMemo(QWidget* parent = nullptr);

    // The memo now shows `count` recognised lines, each with its spacer.
    void KeepLines(int count);
    // The recognised lines one per line; the memo's own text when it shows something else
    // (a reply shown as received, or lines the user added or removed).
    QString RecognisedText() const;
    void CopyAll();
    QAction* CopyAllAction() const { return copyAll_; }

    // Puts the cursor on a recognised line and selects it.
    void SelectLine(int index);
    // The recognised line under the cursor, or -1.
    int CurrentLine() const;

  signals:
    // The line whose box should stand out: the one under the mouse, else the cursor's; -1
    // for none.
    void markedLineChanged(int index);

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    bool ShowsLines() const;
    int LineOfBlock(int block) const;
    void MarkLine(int hovered);

    int lines_ = 0;
    QAction* copyAll_ = nullptr;
    int hovered_ = -1;
    int marked_ = -1;
};

}  // namespace quillory
