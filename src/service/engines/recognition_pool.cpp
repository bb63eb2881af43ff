#include "service/engines/recognition_pool.h"

#include "service/codes/code_finder.h"

namespace ocrgated {

RecognitionPool::RecognitionPool(int threads, std::size_t queue_capacity,
                                 const RecognizerFactory& factory, RecognitionLimits limits)
    : capacity_(queue_capacity), limits_(limits) {
    if (threads < 1)
        throw std::invalid_argument("A recognition pool needs at least one thread");
    for (int i = 0; i < threads; ++i)
        engines_.push_back(factory());
    engine_name_ = engines_.front()->Name();
    for (auto& engine : engines_)
        workers_.emplace_back([this, &engine] { Work(*engine); });
}

RecognitionPool::~RecognitionPool() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    ready_.notify_all();
    for (auto& worker : workers_)
        worker.join();
}

std::future<PageReading> RecognitionPool::Submit(std::vector<std::uint8_t> picture,
                                                 std::string request, CancelFlag cancel,
                                                 PageParts parts) {
    Job job{std::move(picture), std::move(request), std::move(cancel), parts, {}};
    auto future = job.result.get_future();
    {
        std::lock_guard lock(mutex_);
        if (stopping_)
            throw ServerBusy("The service is shutting down");
        if (queue_.size() >= capacity_)
            throw ServerBusy("The server is busy; try again later");
        queue_.push_back(std::move(job));
    }
    ready_.notify_one();
    return future;
}

std::size_t RecognitionPool::waiting() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

void RecognitionPool::Work(Recognizer& engine) {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            ready_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty())
                return;  // stopping, and nothing left to do
            job = std::move(queue_.front());
            queue_.pop_front();
        }
        try {
            const RecognitionScope scope(limits_, job.request, job.cancel);
            CheckDeadline();  // called off while it waited: the engine never sees it
            PageReading page = job.parts.text ? engine.ReadPage(job.picture, job.parts.hints) : PageReading{};
            if (job.parts.codes) {
                CheckDeadline();
                try {
                    page.codes = FindCodes(job.picture);
                } catch (const BadPicture&) {
                    // Its text was read: a picture the code reader cannot decode (a GIF)
                    // holds no codes it could find.
                    if (!job.parts.text)
                        throw;
                }
            }
            job.result.set_value(std::move(page));
        } catch (...) {
            job.result.set_exception(std::current_exception());
        }
    }
}

}  // namespace ocrgated
