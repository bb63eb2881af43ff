#include "service/engines/factory/engine_factory.h"

#include <stdexcept>

#include "service/engines/tesseract/tesseract_recognizer.h"
#ifdef OCRGATED_HAVE_PPOCR
#include "service/engines/ppocr/pp_ocr_recognizer.h"
#endif

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
#ifdef OCRGATED_HAVE_PPOCR
    if (engine == "ppocr") {
        auto models = ppocr::LoadPpOcrModels(ppocr::DefaultModelDirectory());
        ppocr::PpOcrOptions options;
        options.detection.max_long_side =
            settings.detection_side.value_or(options.detection.max_long_side);
        options.detection.db.box_threshold =
            settings.box_threshold.value_or(options.detection.db.box_threshold);
        options.detection.db.unclip_ratio =
            settings.unclip_ratio.value_or(options.detection.db.unclip_ratio);
        options.min_line_confidence =
            settings.min_line_confidence.value_or(options.min_line_confidence);
        options.recognition_lanes = settings.recognition_lanes;
        return
            [models, options] { return std::make_unique<ppocr::PpOcrRecognizer>(models, options); };
    }
#endif
    std::string known;
    for (const auto& name : EngineNames())
        known += (known.empty() ? "" : ", ") + name;
    throw std::invalid_argument("Unknown engine \"" + engine + "\"; known engines: " + known);
}

RecognizerFactory ChooseEngine(const std::string& engine, const EngineSettings& settings,
                               std::string& warning) {
    warning.clear();
#ifdef OCRGATED_HAVE_PPOCR
    if (engine.empty() || engine == "ppocr") {
        try {
            return MakeEngineFactory("ppocr", settings);
        } catch (const ppocr::ModelsUnavailable& error) {
            warning = std::string(error.what()) + "; using the tesseract engine instead";
            return MakeEngineFactory("tesseract", settings);
        }
    }
#else
    if (engine.empty()) {
        warning = "the ppocr engine is not built; using the tesseract engine";
        return MakeEngineFactory("tesseract", settings);
    }
#endif
    return MakeEngineFactory(engine, settings);
}

}  // namespace ocrgated
