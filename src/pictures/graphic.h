#pragma once
// TGraphic: the abstract base of every picture kind.
//
// A kind is created empty, loaded from a file or a stream, asked for its size and
// drawn into a rectangle of a QPainter; save to stream writes it in its own format.
// Streams are QIODevices: load reads from the current position to the end.

#include <QByteArray>
#include <QImage>
#include <QIODevice>
#include <QPainter>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>

namespace pictures {

class TGraphic {
public:
    virtual ~TGraphic() = default;
    TGraphic(const TGraphic&) = delete;
    TGraphic& operator=(const TGraphic&) = delete;

    // A new empty object of the same kind (the kind's virtual constructor).
    virtual std::unique_ptr<TGraphic> Create() const = 0;
    // A new object of the same kind holding the same picture (shared data where the kind
    // shares it).
    std::unique_ptr<TGraphic> Clone() const;
    // Copies the picture of `source`, which must be of the same kind.
    virtual void Assign(const TGraphic& source) = 0;

    // Opens `path` read-only (EFOpenError "Cannot open file "%s". %s" on failure) and
    // loads it with LoadFromStream from its start.
    virtual void LoadFromFile(const QString& path);
    // Creates `path` and writes the picture with SaveToStream.
    void SaveToFile(const QString& path) const;
    // Reads the picture from the stream's position to its end.
    virtual void LoadFromStream(QIODevice& stream) = 0;
    // Writes the picture in its kind's file format; an empty picture may write nothing.
    virtual void SaveToStream(QIODevice& stream) const = 0;
    // SaveToStream into a byte array: the picture bytes sent for recognition.
    QByteArray SaveToBytes() const;
    // Bytes SaveToStream will write, when the kind knows it in advance (0 otherwise).
    virtual qint64 SavedSize() const { return 0; }

    virtual bool Empty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetWidth(int width) = 0;
    virtual void SetHeight(int height) = 0;
    virtual bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool transparent);

    // Draws the whole picture stretched into `target` (in the painter's coordinates).
    virtual void Draw(QPainter& painter, const QRect& target) = 0;
    // The picture as a plain bitmap for the clipboard; a null image when the kind has none.
    virtual QImage ToImage() { return {}; }

    bool Modified() const { return modified_; }
    void SetModified(bool modified) { modified_ = modified; }
    // Called after every change of the picture (load, assign, settings).
    void SetOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

protected:
    TGraphic() = default;
    // Marks the picture modified and fires the change notification.
    void Changed();

private:
    bool transparent_ = false;
    bool modified_ = false;
    std::function<void()> onChange_;
};

}  // namespace pictures
