#pragma once
// Tesseract pools for languages the service's own engine does not read, each started on
// its first call and kept: a language costs nothing until someone asks for it.

#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

#include "service/engines/recognition_pool.h"

namespace ocrgated {

class LanguageUnavailable : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

class LanguagePools {
  public:
    // Each pool has one worker and queues up to `queue_capacity` recognitions.
    LanguagePools(std::size_t queue_capacity, RecognitionLimits limits)
        : queue_capacity_(queue_capacity), limits_(limits) {}

    // The pool reading Tesseract's `languages` ("jpn+eng"); throws LanguageUnavailable
    // when their data is not installed.
    RecognitionPool& For(const std::string& languages);

  private:
    std::size_t queue_capacity_;
    RecognitionLimits limits_;
    std::mutex mutex_;
    std::map<std::string, std::unique_ptr<RecognitionPool>> pools_;
};

}  // namespace ocrgated
