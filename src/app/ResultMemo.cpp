#include "ResultMemo.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTextBlock>

#include "Texts.h"

namespace quillory {

ResultMemo::ResultMemo(QWidget* parent) : QPlainTextEdit(parent) {
    // Tab moves on to the next control; recognised text never needs a tab character.
    setTabChangesFocus(true);
    viewport()->setMouseTracking(true);
    copyAll_ = new QAction(texts::kCopyAll, this);
    copyAll_->setObjectName(QStringLiteral("copyAllAction"));
    copyAll_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    copyAll_->setShortcutContext(Qt::WidgetShortcut);
    addAction(copyAll_);
    connect(copyAll_, &QAction::triggered, this, &ResultMemo::CopyAll);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] { MarkLine(hovered_); });
}

void ResultMemo::KeepLines(int count) {
    lines_ = count;
    hovered_ = -1;
    MarkLine(-1);
}

bool ResultMemo::ShowsLines() const {
    // Still a line and a spacer for each recognised line, whatever the user corrected.
    if (lines_ == 0 || document()->blockCount() != 2 * lines_)
        return false;
    for (QTextBlock block = document()->begin().next(); block.isValid();
         block = block.next().next()) {
        if (!block.text().isEmpty())
            return false;
    }
    return true;
}

QString ResultMemo::RecognisedText() const {
    if (!ShowsLines())
        return toPlainText();
    QStringList lines;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next().next())
        lines << block.text();
    return lines.join(u'\n');
}

void ResultMemo::CopyAll() {
    QApplication::clipboard()->setText(RecognisedText());
}

int ResultMemo::LineOfBlock(int block) const {
    // Line i is block 2i; the empty block after it is no line of its own.
    if (!ShowsLines() || block < 0 || block % 2 != 0 || block / 2 >= lines_)
        return -1;
    return block / 2;
}

int ResultMemo::CurrentLine() const {
    return LineOfBlock(textCursor().blockNumber());
}

void ResultMemo::SelectLine(int index) {
    const QTextBlock block = document()->findBlockByNumber(2 * index);
    if (LineOfBlock(block.blockNumber()) != index)
        return;
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    ensureCursorVisible();
}

void ResultMemo::MarkLine(int hovered) {
    hovered_ = hovered;
    const int marked = hovered_ >= 0 ? hovered_ : CurrentLine();
    if (marked == marked_)
        return;
    marked_ = marked;
    emit markedLineChanged(marked);
}

void ResultMemo::mouseMoveEvent(QMouseEvent* event) {
    QPlainTextEdit::mouseMoveEvent(event);
    MarkLine(LineOfBlock(cursorForPosition(event->position().toPoint()).blockNumber()));
}

void ResultMemo::leaveEvent(QEvent* event) {
    QPlainTextEdit::leaveEvent(event);
    MarkLine(-1);
}

void ResultMemo::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu(event->pos());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addSeparator();
    menu->addAction(copyAll_);
    menu->popup(event->globalPos());
}

}  // namespace quillory
