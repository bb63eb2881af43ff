#include "service/engines/ppocr/small_print.h"

#include <algorithm>

namespace ocrgated::ppocr {

double Enlargement(cv::Size picture, double text_height, const SmallTextOptions& options) {
    if (text_height <= 0 || text_height >= options.min_height)
        return 1;
    const double scale =
        std::min({options.height / text_height, options.max_scale,
                  options.max_long_side / double(std::max(picture.width, picture.height))});
    return scale >= options.min_scale ? scale : 1;
}

}  // namespace ocrgated::ppocr
