#pragma once
// The result display: a recognition reply becomes lines in a memo, each recognised text
// followed by an empty line. Full Unicode throughout; nothing is narrowed to a code page.

#include <QString>

#include "reply/reading.h"

class QPlainTextEdit;

namespace quillory {

// Fills `memo` with the lines of `reading`, the reply `reply` as it was read. A reply of
// another shape leaves the memo empty; a reply the reader refused with an error (a number
// beyond a double) is shown as received.
void ShowResult(const QString& reply, const reply::Reading& reading, QPlainTextEdit* memo);

}  // namespace quillory
