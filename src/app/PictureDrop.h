#pragma once
// What something dropped on the window carries: a picture file, a web address, image data,
// or nothing the window can use, with the reason.

#include <QImage>
#include <QString>
#include <QUrl>

class QMimeData;

namespace quillory {

struct DropContent {
    enum class Kind { Ignored, PictureFile, WebAddress, Image, Refused };
    Kind kind = Kind::Ignored;
    QString path;    // PictureFile
    QUrl address;    // WebAddress
    QImage image;    // Image
    QString reason;  // Refused: what the status line says
};

// Ignored is for plain text that is no address: an ordinary text drop, left to the
// control under the mouse. A picture dragged from a browser carries its data and its
// address; `addressFirst` takes the address.
DropContent ReadDrop(const QMimeData* data, bool addressFirst = false);

}  // namespace quillory
