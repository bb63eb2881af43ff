#include "service/engine_factory.h"

#include <stdexcept>

#include "service/tesseract_recognizer.h"

namespace ocrgated {

std::vector<std::string> EngineNames() {
    std::vector<std::string> names{"tesseract"};
#ifdef OCRGATED_HAVE_PPOCR
    names.push_back("ppocr");
#endif
    return names;
}

RecognizerFactory MakeEngineFactory(const std::string& engine, const EngineSettings& settings) {
    if (engine == "tesseract") {
        return [languages = settings.languages] {
            return std::make_unique<TesseractRecognizer>(languages);
        };
    }
    std::string known;
    for (const auto& name : EngineNames())
        known += (known.empty() ? "" : ", ") + name;
    throw std::invalid_argument("Unknown engine \"" + engine + "\"; known engines: " + known);
}

}  // namespace ocrgated
