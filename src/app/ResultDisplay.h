#pragma once
// The result display: a recognition reply becomes lines in a memo, each recognised text
// followed by an empty line. Full Unicode throughout; nothing is narrowed to a code page.

#include <QString>

#include <vector>

#include "reply/result_lines.h"

class QPlainTextEdit;

namespace quillory {

// Fills `memo` from the reply. A reply of another shape leaves the memo empty; a reply the
// reader refuses with an error (a number beyond a double) is shown as received.
// Returns the recognised lines shown, none when the memo shows no lines.
std::vector<reply::ResultLine> ShowResult(QString reply, QPlainTextEdit* memo);

}  // namespace quillory
