#pragma once
// The one path from a request to a read page, for the SOAP and the REST face alike: a
// picture, the address of one, or a page of a PDF, read by the pool with the service's
// limits and counts. Every failure comes out as a ReadFailed of one kind, which each face
// says in its own words and codes.

#include <atomic>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "service/common/metrics.h"
#include "service/engines/recognition_pool.h"
#include "service/fetch/url_fetcher.h"

namespace ocrgated {

struct PageSource {
    enum class Kind { Picture, Address, PdfPage };
    Kind kind = Kind::Picture;
    std::vector<std::uint8_t> bytes;  // the picture, or the PDF
    std::string address;              // a picture's web address
    int pdf_page = 1;                 // from 1
    int min_side = 0;                 // a picture's shorter side must be this long at least
    PageParts parts;                  // what to read: the text, its codes
};

enum class Failure {
    Busy,            // the queue is full, or too many pictures are being fetched
    NotAPicture,     // bytes no decoder reads
    TooLarge,        // a picture or download past the limits
    TooSmall,        // a picture shorter than the caller's least side
    TimeLimit,       // the recognition ran past its time; a smaller picture is the remedy
    Cancelled,       // its client went away
    AddressNotWeb,   // an address that is no http or https address
    AddressPrivate,  // an address of this machine or a private network
    FetchFailed,     // the picture could not be downloaded
    FetchTimeLimit,  // the download took too long
    NotAPdf,         // not a readable PDF, or protected by a password
    NoSuchPdfPage,   // a page the PDF does not have
    Internal,        // the engine failed
};

class ReadFailed : public std::runtime_error {
  public:
    ReadFailed(Failure kind, const std::string& message)
        : std::runtime_error(message), kind_(kind) {}
    Failure kind() const { return kind_; }

  private:
    Failure kind_;
};

struct ReaderOptions {
    FetchOptions fetch;
    // Address fetches at once; a fetch is work like a recognition, and is refused as busy
    // when the recognition queue is full.
    std::size_t max_fetches = 4;
    std::size_t queue_capacity = 8;
};

class PageReader {
  public:
    PageReader(RecognitionPool& pool, ReaderOptions options, Metrics* metrics = nullptr)
        : pool_(pool), options_(std::move(options)), metrics_(metrics) {}

    // Reads the page on `pool`, the service's own when null (another language). `request`
    // names it in the log lines the recognition writes; once `cancel` is set, the
    // recognition stops at its engine's next check. Throws ReadFailed.
    PageReading Read(PageSource source, const std::string& request,
                     const CancelFlag& cancel = nullptr, RecognitionPool* pool = nullptr);

    // Workers running a recognition now.
    std::size_t WorkersBusy() const;
    // One id per reply, SOAP and REST alike.
    std::uint64_t NextLogId();

  private:
    std::vector<std::uint8_t> Fetch(const std::string& url);
    PageReading Recognize(std::vector<std::uint8_t> picture, const std::string& request,
                          const CancelFlag& cancel, RecognitionPool& reader, PageParts parts);

    RecognitionPool& pool_;
    ReaderOptions options_;
    Metrics* metrics_;
    std::atomic<std::uint64_t> next_log_id_{0};
    std::atomic<std::size_t> fetching_{0}, recognising_{0};
};

}  // namespace ocrgated
