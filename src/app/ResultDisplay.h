#pragma once
// The result display: a recognition reply becomes lines in a memo, each recognised text
// followed by an empty line. Full Unicode throughout; nothing is narrowed to a code page.

#include <QString>

class QPlainTextEdit;

namespace quillory {

// Fills `memo` from the reply. A reply of another shape leaves the memo empty; a reply the
// reader refuses with an error (a number beyond a double) is shown as received.
void ShowResult(QString reply, QPlainTextEdit* memo);

}  // namespace quillory
