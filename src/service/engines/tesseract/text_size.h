#pragma once
// Estimates how tall the text in a picture is, to decide whether to upscale it
// before recognition.

struct Pix;

namespace ocrgated {

// Scale factor (≥ 1) that brings small text to a height the engine reads well.
double UpscaleFactor(Pix* pix);

}  // namespace ocrgated
