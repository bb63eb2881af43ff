#include "service/engines/factory/language_pools.h"

#include "service/engines/tesseract/tesseract_recognizer.h"

namespace ocrgated {

RecognitionPool& LanguagePools::For(const std::string& languages) {
    std::lock_guard lock(mutex_);
    auto& pool = pools_[languages];
    if (!pool) {
        try {
            pool = std::make_unique<RecognitionPool>(
                1, queue_capacity_,
                [languages] { return std::make_unique<TesseractRecognizer>(languages); },
                limits_);
        } catch (const std::runtime_error& error) {
            pools_.erase(languages);
            throw LanguageUnavailable(error.what());
        }
    }
    return *pool;
}

}  // namespace ocrgated
