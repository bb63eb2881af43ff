#pragma once
// Pictures that defeat naive pipelines, rendered the same way as the clean set: thin
// single lines, tight crops, turned pages, skew, perspective, vertical columns, tiny
// dense text, transparency, heavy JPEG artefacts, tables, receipts and mixed sizes.
// Each picture's truth is its lines in reading order.

#include "rendered_pictures.h"

#include <vector>

namespace quillory::testing {

// `style` names the kind of difficulty.
std::vector<RenderedPicture> RenderHardSet();

}  // namespace quillory::testing
