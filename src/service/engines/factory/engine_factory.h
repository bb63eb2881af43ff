#pragma once
// Chooses the recognition engine by name (`--engine`).

#include <optional>
#include <string>
#include <vector>

#include "service/engines/recognition_pool.h"

namespace ocrgated {

struct EngineSettings {
    std::string languages = "chi_sim+eng";  // for engines that take language packs
    // PP-OCR tunables an operator may need; unset keeps the engine's own values.
    std::optional<int> detection_side;         // longest side the detector sees
    std::optional<float> box_threshold;        // mean text probability of a kept box
    std::optional<float> unclip_ratio;         // how far a detected text kernel grows
    std::optional<float> min_line_confidence;  // lines read with less are dropped
    // Lines one PP-OCR engine reads at once; 0 is one per core. Workers that already
    // keep every core busy want 1.
    int recognition_lanes = 0;
};

// Throws std::invalid_argument for an unknown engine name, and
// ppocr::ModelsUnavailable when the PP-OCR models are missing or damaged.
RecognizerFactory MakeEngineFactory(const std::string& engine, const EngineSettings& settings);

// The engine to run for `--engine` (empty: the default). PP-OCR, the default
// when it is built, falls back to Tesseract when its models cannot be used;
// `warning` then says why. Throws std::invalid_argument for an unknown name.
RecognizerFactory ChooseEngine(const std::string& engine, const EngineSettings& settings,
                               std::string& warning);

// The names MakeEngineFactory accepts.
std::vector<std::string> EngineNames();

}  // namespace ocrgated
