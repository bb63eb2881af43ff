#pragma once
// The result display: a recognition reply becomes lines in a memo, each recognised text
// followed by an empty line. Full Unicode throughout; nothing is narrowed to a code page.

#include <QList>
#include <QString>

#include <vector>

#include "reply/result_lines.h"

class QPlainTextEdit;

namespace quillory {

// Fills `memo` from the reply. A reply of another shape leaves the memo empty; a reply the
// reader refuses with an error (a number beyond a double) is shown as received.
// Returns the recognised lines shown, none when the memo shows no lines; `paragraphs`, when
// given, receives their paragraphs as indices of lines.
std::vector<reply::ResultLine> ShowResult(QString reply, QPlainTextEdit* memo,
                                          QList<QList<int>>* paragraphs = nullptr,
                                          std::vector<reply::ResultTable>* tables = nullptr);

// The reply's "paragraphs_result", each a list of indices into its `lines` lines. Each line
// is its own paragraph when the member is missing, or when its paragraphs do not hold every
// line exactly once.
QList<QList<int>> ResultParagraphs(const reply::ReplyPtr& document, int lines);

}  // namespace quillory
