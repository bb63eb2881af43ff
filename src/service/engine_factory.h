#pragma once
// Chooses the recognition engine by name (`--engine`).

#include <string>
#include <vector>

#include "service/recognition_pool.h"

namespace ocrgated {

struct EngineSettings {
    std::string languages = "chi_sim+eng";  // for engines that take language packs
};

// Throws std::invalid_argument for an unknown engine name.
RecognizerFactory MakeEngineFactory(const std::string& engine, const EngineSettings& settings);

// The names MakeEngineFactory accepts.
std::vector<std::string> EngineNames();

}  // namespace ocrgated
