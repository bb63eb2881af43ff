#pragma once
// Where the window opens: its drawn size where the screen's free area has room for it with
// the frame around it, else as much as the area holds; centred in that area. The frame
// (title bar, close button) stays inside, so that the window can be moved and closed even
// on a small screen.

#include <QMargins>
#include <QRect>
#include <QSize>

namespace quillory {

// The window's own rectangle (without the frame) for a window drawn at `drawn`, never
// smaller than `smallest`, with a frame of `frame` around it, in the free area `room`. When
// even the smallest window does not fit, the frame's top-left corner stays in the area:
// the title bar is what the user needs to reach.
inline QRect PlaceWindow(QSize drawn, QSize smallest, QMargins frame, QRect room) {
    const QSize inside = room.size().shrunkBy(frame);
    const QSize size = drawn.boundedTo(inside).expandedTo(smallest);
    QRect outer(QPoint(), size.grownBy(frame));
    outer.moveTo(room.left() + (room.width() - outer.width()) / 2,
                 room.top() + (room.height() - outer.height()) / 2);
    if (outer.left() < room.left())
        outer.moveLeft(room.left());
    if (outer.top() < room.top())
        outer.moveTop(room.top());
    return outer.marginsRemoved(frame);
}

}  // namespace quillory
