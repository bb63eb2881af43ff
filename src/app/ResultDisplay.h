#pragma once
// The result display: a recognition reply becomes lines in a memo, each recognised text
// followed by an empty line. Full Unicode throughout; nothing is narrowed to a code page.

#include <QString>

#include "reply/reading.h"

class QPlainTextEdit;

namespace quillory {

// Fills `memo` with the lines of `reading`, the reply `reply` as it was read, then its QR
// codes and barcodes the same way. A reply of another shape leaves the memo empty; a reply
// the reader refused with an error (a number beyond a double) is shown as received.
void ShowResult(const QString& reply, const reply::Reading& reading, QPlainTextEdit* memo);

// A code as one entry of the memo: "[QR_CODE] its text", its line breaks as spaces.
QString CodeEntry(const reply::ResultCode& code);

}  // namespace quillory
