#pragma once
// One call of the recognition service, made off the window thread. A new service client
// is made for the call and released when it ends; nothing is shared between calls.

#include <QByteArray>
#include <QString>

#include <atomic>
#include <memory>

#include "reply/reading.h"

namespace quillory {

struct RecognitionRequest {
    enum class Kind { Address, Picture };
    QString endpoint;
    Kind kind = Kind::Address;
    QString address;     // Kind::Address: the web address of a picture
    QByteArray picture;  // Kind::Picture: the bytes of a picture file
    // Set from the window thread to call the request off; the transfer stops at once.
    std::shared_ptr<std::atomic<bool>> abort = std::make_shared<std::atomic<bool>>(false);
};

struct RecognitionOutcome {
    bool succeeded = false;
    QString reply;    // the service's reply text, when it succeeded
    reply::Reading reading;  // and what it says, read once
    QString failure;  // what failed, otherwise, as the error said it
    QString cause;    // otherwise: cause and remedy, in Chinese
    bool cancelled = false;
};

// Blocks until the reply or an error arrives; never throws.
RecognitionOutcome Recognize(const RecognitionRequest& request);

}  // namespace quillory
