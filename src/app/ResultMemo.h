#pragma once
// A result memo: the recognised lines, each followed by an empty line, or their paragraphs
// the same way. It knows what it shows, so that the text can be copied without the spacers
// (with the user's corrections), and tells which lines the mouse or the cursor is on, so
// that the picture view can mark their boxes.

#include <QList>
#include <QPlainTextEdit>
#include <QStringList>

#include "reply/reading.h"

class QAction;

namespace quillory {

// Lines of one paragraph as one text: CJK lines meet with nothing between, others with a
// space; a word hyphenated at a line's end between lowercase letters is made whole.
QString JoinLines(const QStringList& lines);

class ResultMemo : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit ResultMemo(QWidget* parent = nullptr);

    // The memo now shows `count` recognised lines, each with its spacer.
    void KeepLines(int count);
    // The reply's lines, paragraphs and tables; shown as the paragraph choice says, each
    // entry with its spacer. A table shows as its rows of tab-separated cells, each row with
    // its spacer, where its first line would stand.
    void SetRecognised(const reply::Reading& reading);
    // What is shown one per line: the lines, or the paragraphs; the memo's own text when it
    // shows something else (a reply shown as received, or entries the user added or removed).
    QString RecognisedText() const;
    // Copies RecognisedText and says how many entries (lines or paragraphs) that was
    // (0: nothing).
    void CopyAll();
    QAction* CopyAllAction() const { return copyAll_; }
    // The checkable choice between lines and paragraphs.
    QAction* ParagraphsAction() const { return paragraphs_; }
    // Copies the tables as tab-separated rows and as HTML, so that a spreadsheet or a word
    // processor pastes cells; says how many rows that was (0: no table).
    void CopyTables();
    QAction* CopyTablesAction() const { return copyTables_; }
    // Converts what is shown, and the lines and cells behind it, to another Chinese script:
    // "t2s" to Simplified, "s2t" to Traditional. Throws quillory::Exception when the
    // conversion cannot be loaded.
    void ConvertScript(const std::string& conversion);
    QAction* ToSimplifiedAction() const { return toSimplified_; }
    QAction* ToTraditionalAction() const { return toTraditional_; }

    // Puts the cursor on what shows a recognised line (the line, or its paragraph) and
    // selects it.
    void SelectLine(int index);
    // The shown entry (line or paragraph) under the cursor, or -1.
    int CurrentLine() const;

  signals:
    // The lines whose boxes should stand out: under the mouse, else the cursor's; none
    // for none.
    void markedLinesChanged(const QList<int>& lines);
    void copied(int entries);
    void tableCopied(int rows);

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    bool ShowsLines() const;
    int LineOfBlock(int block) const;
    void MarkLine(int hovered);
    void Show();

    int lines_ = 0;  // entries shown
    reply::Reading reading_;
    QList<QList<int>> entries_;  // the lines each shown entry holds
    QAction* copyAll_ = nullptr;
    QAction* paragraphs_ = nullptr;
    QAction* copyTables_ = nullptr;
    QAction* toSimplified_ = nullptr;
    QAction* toTraditional_ = nullptr;
    int hovered_ = -1;
    int marked_ = -1;
};

}  // namespace quillory
