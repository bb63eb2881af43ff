#pragma once
// The rewritten PP-OCR model files and the recognition alphabet.

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace ocrgated::ppocr {

// The model files are missing, incomplete or damaged; the service falls back
// to another engine.
class ModelsUnavailable : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct PpOcrModels {
    std::string directory;
    std::string detection;       // path of det.onnx
    std::string classification;  // path of cls.onnx
    std::string recognition;     // path of rec.onnx, which takes lines of any width
    // Class index to text: 0 is the CTC blank (empty), then the dictionary,
    // then a space.
    std::vector<std::string> characters;
};

// QUILLORY_PPOCR_MODELS from the environment, else the installed models beside the
// running program, else the build tree's models.
std::string DefaultModelDirectory();

// Checks every file against the sizes fetch-models recorded and loads the
// networks once. Throws ModelsUnavailable saying what is wrong.
std::shared_ptr<const PpOcrModels> LoadPpOcrModels(const std::string& directory);

}  // namespace ocrgated::ppocr
