#pragma once
// Chooses the recognition engine by name (`--engine`).

#include <string>
#include <vector>

#include "service/engines/recognition_pool.h"

namespace ocrgated {

struct EngineSettings {
    std::string languages = "chi_sim+eng";  // for engines that take language packs
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
