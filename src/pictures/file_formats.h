#pragma once
// TFileFormatsList: the picture kinds by file extension.
//
// Entries keep their registration order; a lookup goes from the last entry to the first,
// so a later registration of an extension overrides an earlier one. Extensions are stored
// without the dot, in lower case.

#include <QList>
#include <QString>
#include <functional>
#include <memory>

#include "pictures/graphic.h"

namespace pictures {

// The kind's virtual constructor: makes a new empty object of the kind.
using TGraphicClass = std::function<std::unique_ptr<TGraphic>()>;

struct TFileFormat {
    QString extension;  // lower case, no dot; empty for names without an extension
    QString description;
    TGraphicClass graphicClass;
};

class TFileFormatsList {
public:
    void Add(const QString& extension, const QString& description, TGraphicClass graphicClass);
    // The entry for an extension as written in a path (any case), or null.
    const TFileFormat* Find(const QString& extension) const;
    const QList<TFileFormat>& Entries() const { return entries_; }

private:
    QList<TFileFormat> entries_;
};

// The program's registry, made on first use with the metafile, icon and bitmap entries.
TFileFormatsList& FileFormats();

// Registers the kinds added at start-up: PNG (when QtGui can encode PNG), the kind for
// names without an extension, and JPEG. Called once by the start sequence; later calls do
// nothing.
void RegisterPictureKinds();

// The extension of a path: what follows the last of ".", "/", "\" and ":" when that is a
// "."; otherwise empty. "scan.old.JPG" gives "JPG", "C:\a.b\photo" and "photo." give "".
QString PictureExtension(const QString& path);

}  // namespace pictures
