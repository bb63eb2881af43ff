#pragma once
// Where the picture view draws its picture: centred, shrunk with its aspect ratio kept
// when it does not fit, never enlarged.

#include <QRect>
#include <QSize>

namespace quillory {

// The drawn rectangle of a picture of `picture` pixels in a client area of `client` pixels.
constexpr QRect FitPictureRect(QSize client, QSize picture) {
    const long long cw = client.width(), ch = client.height();
    const long long pw = picture.width(), ph = picture.height();
    long long w = pw, h = ph;
    if (pw > 0 && ph > 0 && (pw > cw || ph > ch)) {
        // cw / ch >= pw / ph, compared without rounding.
        if (cw * ph >= pw * ch) {
            h = ch;
            w = ch * pw / ph;
        } else {
            w = cw;
            h = cw * ph / pw;
        }
    }
    // Integer halving truncates toward zero.
    return QRect(int((cw - w) / 2), int((ch - h) / 2), int(w), int(h));
}

}  // namespace quillory
