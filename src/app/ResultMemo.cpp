#include "ResultMemo.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextBlock>

#include "ErrorBox.h"
#include "ResultDisplay.h"
#include "Texts.h"
#include "base/line_join.h"
#include "conversion/script_conversion.h"
#include "reply/table_text.h"

namespace quillory {

QString JoinLines(const QStringList& lines) {
    std::vector<std::string> utf8;
    for (const QString& line : lines)
        utf8.push_back(line.toStdString());
    const std::vector<std::string_view> views(utf8.begin(), utf8.end());
    return QString::fromStdString(quillory::JoinLines(views));
}

ResultMemo::ResultMemo(QWidget* parent) : QPlainTextEdit(parent) {
    // Tab moves on to the next control; recognised text never needs a tab character.
    setTabChangesFocus(true);
    viewport()->setMouseTracking(true);
    copyAll_ = new QAction(texts::kCopyAll, this);
    copyAll_->setObjectName(QStringLiteral("copyAllAction"));
    // Shown in the menu; the window's own shortcut answers the key from anywhere in the tab.
    copyAll_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    copyAll_->setShortcutContext(Qt::WidgetShortcut);
    connect(copyAll_, &QAction::triggered, this, &ResultMemo::CopyAll);
    paragraphs_ = new QAction(texts::kShowParagraphs, this);
    paragraphs_->setObjectName(QStringLiteral("paragraphsAction"));
    paragraphs_->setCheckable(true);
    connect(paragraphs_, &QAction::toggled, this, [this] {
        if (!reading_.lines.empty())
            Show();
    });
    copyTables_ = new QAction(texts::kCopyAsTable, this);
    copyTables_->setObjectName(QStringLiteral("copyTablesAction"));
    copyTables_->setEnabled(false);
    connect(copyTables_, &QAction::triggered, this, &ResultMemo::CopyTables);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] { MarkLine(hovered_); });
    toSimplified_ = new QAction(texts::kToSimplified, this);
    toSimplified_->setObjectName(QStringLiteral("toSimplifiedAction"));
    connect(toSimplified_, &QAction::triggered, this,
            [this] { RunGuarded([this] { ConvertScript("t2s"); }); });
    toTraditional_ = new QAction(texts::kToTraditional, this);
    toTraditional_->setObjectName(QStringLiteral("toTraditionalAction"));
    connect(toTraditional_, &QAction::triggered, this,
            [this] { RunGuarded([this] { ConvertScript("s2t"); }); });
}

void ResultMemo::ConvertScript(const std::string& conversion) {
    const ::conversion::ScriptConverter converter(conversion);
    converter.Convert(reading_);
    // The shown text converted as it stands, the user's corrections with it; no line break
    // comes or goes, so every entry keeps its place.
    const QString shown = toPlainText();
    const QString converted = QString::fromStdU16String(converter.Convert(shown.toStdU16String()));
    if (converted == shown)
        return;
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    cursor.insertText(converted);  // one step the user can undo
}

void ResultMemo::KeepLines(int count) {
    lines_ = count;
    reading_ = {};
    copyTables_->setEnabled(false);
    entries_.clear();
    for (int i = 0; i < count; ++i)
        entries_.append(QList<int>{i});
    hovered_ = -1;
    marked_ = -1;
    MarkLine(-1);
}

void ResultMemo::SetRecognised(const reply::Reading& reading) {
    KeepLines(int(reading.lines.size() + reading.codes.size()));
    reading_ = reading;
    copyTables_->setEnabled(!reading.tables.empty());
    // Shown by lines already, as the result display writes them, unless tables change that.
    if (paragraphs_->isChecked() || !reading.tables.empty())
        Show();
}

void ResultMemo::Show() {
    entries_.clear();
    QStringList shown;
    for (const reply::ReadingBlock& block : reading_.Blocks(paragraphs_->isChecked())) {
        const QList<int> held(block.lines.begin(), block.lines.end());
        if (block.table) {
            const QString rows =
                QString::fromStdU16String(reply::TableTabbed(reading_.tables[*block.table]));
            for (const QString& row : rows.split(u'\n', Qt::SkipEmptyParts)) {
                shown << row << QString();
                entries_.append(held);
            }
            continue;
        }
        QStringList lines;
        for (std::size_t i : block.lines)
            lines << QString::fromStdU16String(reading_.lines[i].words);
        shown << JoinLines(lines) << QString();
        entries_.append(held);
    }
    // The codes after the text, numbered on from the lines as their boxes are.
    for (std::size_t k = 0; k < reading_.codes.size(); ++k) {
        shown << CodeEntry(reading_.codes[k]) << QString();
        entries_.append(QList<int>{int(reading_.lines.size() + k)});
    }
    lines_ = int(entries_.size());
    setPlainText(shown.join(u'\n'));
    hovered_ = -1;
    marked_ = -1;
    MarkLine(-1);
}

void ResultMemo::CopyTables() {
    QString tabbed;
    std::string html;
    int rows = 0;
    for (const reply::ResultTable& table : reading_.tables) {
        tabbed += (tabbed.isEmpty() ? QString() : QStringLiteral("\n")) +
                  QString::fromStdU16String(reply::TableTabbed(table));
        html += reply::TableHtml(table);
        rows += table.rows;
    }
    if (rows > 0) {
        auto* data = new QMimeData;
        data->setText(tabbed);
        data->setHtml(QString::fromStdString("<html><body>" + html + "</body></html>"));
        QApplication::clipboard()->setMimeData(data);
    }
    emit tableCopied(rows);
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
    const QString text = RecognisedText();
    QApplication::clipboard()->setText(text);
    emit copied(text.isEmpty() ? 0 : int(text.count(u'\n')) + 1);
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

void ResultMemo::SelectLine(int line) {
    int index = 0;
    while (index < entries_.size() && !entries_[index].contains(line))
        ++index;
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
    emit markedLinesChanged(marked >= 0 && marked < entries_.size() ? entries_[marked]
                                                                    : QList<int>());
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
    menu->addAction(copyTables_);
    menu->addAction(paragraphs_);
    menu->addSeparator();
    menu->addAction(toSimplified_);
    menu->addAction(toTraditional_);
    menu->popup(event->globalPos());
}

}  // namespace quillory
