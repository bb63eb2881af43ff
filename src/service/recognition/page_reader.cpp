#include "service/recognition/page_reader.h"

#include <algorithm>
#include <chrono>
#include <random>

#include "pdf/pdf_document.h"
#include "service/common/picture_errors.h"
#include "service/common/recognition_context.h"
#include "service/pictures/picture_decoder.h"

namespace ocrgated {
namespace {

// The command line's resolution for a PDF page; a page larger than A4 gets fewer dots.
constexpr int kPdfDpi = 200;

std::uint64_t FirstLogId() {
    std::random_device random;
    return (std::uint64_t{random()} << 32 | random()) & 0x0000'FFFF'FFFF'FFFFull;
}

// Counts one piece of work in `count` for as long as it lives.
class Counted {
  public:
    explicit Counted(std::atomic<std::size_t>& count) : count_(count) { ++count_; }
    ~Counted() { --count_; }
    Counted(const Counted&) = delete;
    Counted& operator=(const Counted&) = delete;

  private:
    std::atomic<std::size_t>& count_;
};

std::vector<std::uint8_t> RenderPdfPage(const std::vector<std::uint8_t>& bytes, int number) {
    try {
        const pdf::PdfDocument document(bytes);
        if (number < 1 || number > document.Count())
            throw ReadFailed(Failure::NoSuchPdfPage,
                             "page " + std::to_string(number) + " was asked for, but the PDF has " +
                                 std::to_string(document.Count()));
        return document.Render(number, kPdfDpi).png;
    } catch (const pdf::PdfUnreadable& error) {
        throw ReadFailed(Failure::NotAPdf, error.what());
    }
}

}  // namespace

std::size_t PageReader::WorkersBusy() const {
    const std::size_t running = recognising_ - std::min<std::size_t>(recognising_, pool_.waiting());
    return std::min<std::size_t>(running, static_cast<std::size_t>(pool_.threads()));
}

std::uint64_t PageReader::NextLogId() {
    static const std::uint64_t first = FirstLogId();
    return first + next_log_id_++;
}

PageReading PageReader::Read(PageSource source, const std::string& request,
                             const CancelFlag& cancel, RecognitionPool* pool) {
    std::vector<std::uint8_t> picture;
    switch (source.kind) {
        case PageSource::Kind::Picture:
            picture = std::move(source.bytes);
            break;
        case PageSource::Kind::Address:
            picture = Fetch(source.address);
            break;
        case PageSource::Kind::PdfPage:
            picture = RenderPdfPage(source.bytes, source.pdf_page);
            break;
    }
    if (source.min_side > 0) {
        if (const auto size = PictureSize(picture);
            size && std::min(size->first, size->second) < source.min_side)
            throw ReadFailed(Failure::TooSmall,
                             "the picture is " + std::to_string(size->first) + " x " +
                                 std::to_string(size->second) + " pixels; its shorter side must be " +
                                 std::to_string(source.min_side) + " at least");
    }
    return Recognize(std::move(picture), request, cancel, pool != nullptr ? *pool : pool_,
                     source.parts);
}

std::vector<std::uint8_t> PageReader::Fetch(const std::string& url) {
    const auto count = [this](const char* outcome) {
        if (metrics_)
            metrics_->CountFetch(outcome);
    };
    std::vector<std::uint8_t> picture;
    {
        Counted fetch(fetching_);
        if (fetching_ > options_.max_fetches || pool_.waiting() >= options_.queue_capacity) {
            count("busy");
            throw ReadFailed(Failure::Busy,
                             "too many pictures are being fetched or waiting; try again shortly");
        }
        try {
            picture = FetchPicture(url, options_.fetch);
        } catch (const AddressRefused& error) {
            count("refused");
            const bool not_web = dynamic_cast<const AddressNotWeb*>(&error) != nullptr;
            throw ReadFailed(not_web ? Failure::AddressNotWeb : Failure::AddressPrivate,
                             error.what());
        } catch (const FetchFailed& error) {
            count("failed");
            const bool late = dynamic_cast<const FetchTimedOut*>(&error) != nullptr;
            throw ReadFailed(late ? Failure::FetchTimeLimit : Failure::FetchFailed, error.what());
        } catch (const PictureTooLarge& error) {
            count("too_large");
            throw ReadFailed(Failure::TooLarge, error.what());
        }
    }
    count("ok");
    return picture;
}

PageReading PageReader::Recognize(std::vector<std::uint8_t> picture, const std::string& request,
                                  const CancelFlag& cancel, RecognitionPool& reader,
                                  PageParts parts) {
    if (metrics_)
        metrics_->CountPictureBytes(picture.size());
    Counted recognition(recognising_);
    const auto start = std::chrono::steady_clock::now();
    try {
        auto pending = reader.Submit(std::move(picture), request, cancel, parts);
        PageReading page = pending.get();
        if (metrics_)
            metrics_->ObserveRecognition(reader.EngineName(),
                                         std::chrono::steady_clock::now() - start);
        return page;
    } catch (const ServerBusy& error) {
        throw ReadFailed(Failure::Busy, error.what());
    } catch (const BadPicture& error) {
        throw ReadFailed(Failure::NotAPicture, error.what());
    } catch (const PictureTooLarge& error) {
        throw ReadFailed(Failure::TooLarge, error.what());
    } catch (const RecognitionTimedOut& error) {
        throw ReadFailed(Failure::TimeLimit, error.what());
    } catch (const RecognitionCancelled& error) {
        if (metrics_)
            metrics_->CountCancelledRecognition();
        throw ReadFailed(Failure::Cancelled, error.what());
    } catch (const std::exception& error) {
        throw ReadFailed(Failure::Internal, error.what());
    }
}

}  // namespace ocrgated
