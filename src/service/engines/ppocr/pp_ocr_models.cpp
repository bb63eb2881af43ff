#include "service/engines/ppocr/pp_ocr_models.h"

#include "service/engines/ppocr/fused_layers.h"

#include <opencv2/dnn.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace ocrgated::ppocr {
namespace {

namespace fs = std::filesystem;

// The recognition head has one class per dictionary entry plus blank and space.
constexpr std::size_t kDictionarySize = 6623;

std::vector<std::string> ReadCharacters(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw ModelsUnavailable("PP-OCR dictionary missing: " + path.string());
    std::vector<std::string> characters{""};
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        characters.push_back(line);
    }
    if (characters.size() != kDictionarySize + 1)
        throw ModelsUnavailable("PP-OCR dictionary damaged: " + path.string() + " has " +
                                std::to_string(characters.size() - 1) + " entries");
    characters.push_back(" ");
    return characters;
}

// Every file the manifest lists has the size it was written with.
void CheckManifest(const fs::path& dir) {
    std::ifstream manifest(dir / "manifest");
    if (!manifest)
        throw ModelsUnavailable("PP-OCR models incomplete: no manifest in " + dir.string());
    std::string name;
    std::uintmax_t size = 0;
    while (manifest >> name >> size) {
        std::error_code error;
        const auto actual = fs::file_size(dir / name, error);
        if (error)
            throw ModelsUnavailable("PP-OCR model missing: " + (dir / name).string());
        if (actual != size)
            throw ModelsUnavailable("PP-OCR model damaged: " + (dir / name).string() + " has " +
                                    std::to_string(actual) + " bytes, not " + std::to_string(size));
    }
}

void CheckLoads(const std::string& path) {
    if (!fs::is_regular_file(path))
        throw ModelsUnavailable("PP-OCR model missing: " + path);
    try {
        cv::dnn::Net net = cv::dnn::readNetFromONNX(path);
        if (net.empty())
            throw ModelsUnavailable("PP-OCR model empty: " + path);
    } catch (const cv::Exception& e) {
        throw ModelsUnavailable("PP-OCR model damaged: " + path + ": " + e.err);
    }
}

}  // namespace

std::string DefaultModelDirectory() {
    if (const char* dir = std::getenv("QUILLORY_PPOCR_MODELS"); dir && *dir)
        return dir;
    // An installed service finds the models beside it in the installation's data folder.
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (!error) {
        const fs::path installed =
            (self.parent_path() / QUILLORY_PPOCR_INSTALLED_MODELS).lexically_normal();
        if (fs::is_directory(installed, error))
            return installed.string();
    }
    return QUILLORY_PPOCR_MODELS;
}

std::shared_ptr<const PpOcrModels> LoadPpOcrModels(const std::string& directory) {
    const fs::path dir(directory);
    if (!fs::is_directory(dir))
        throw ModelsUnavailable("PP-OCR models not found in " + directory +
                                " (scripts/fetch-models fetches them)");
    auto models = std::make_shared<PpOcrModels>();
    models->directory = directory;
    models->detection = (dir / "det.onnx").string();
    models->classification = (dir / "cls.onnx").string();
    models->recognition = (dir / "rec.onnx").string();
    models->characters = ReadCharacters(dir / "keys.txt");

    CheckManifest(dir);
    RegisterFusedLayers();
    // Loading a network is the full check.
    CheckLoads(models->detection);
    CheckLoads(models->classification);
    CheckLoads(models->recognition);
    return models;
}

}  // namespace ocrgated::ppocr
