#pragma once
// Layers the model rewrite puts in place of runs of element-wise nodes: OpenCV
// 4.6 makes a pass over the whole tensor for each node, and those passes took
// as long as the convolutions between them.

namespace ocrgated::ppocr {

// Registers the layers with OpenCV's importer; call before reading a rewritten model.
void RegisterFusedLayers();

}  // namespace ocrgated::ppocr
