#pragma once
// One call of the recognition service, made off the window thread. A new service client
// is made for the call and released when it ends; nothing is shared between calls.

#include <QByteArray>
#include <QString>

namespace quillory {

struct RecognitionRequest {
    enum class Kind { Address, Picture };
    QString endpoint;
    Kind kind = Kind::Address;
    QString address;     // Kind::Address: the web address of a picture
    QByteArray picture;  // Kind::Picture: the bytes of a picture file
};

struct RecognitionOutcome {
    bool succeeded = false;
    QString reply;    // the service's reply text, when it succeeded
    QString failure;  // what failed, otherwise
    bool cancelled = false;
};

// Blocks until the reply or an error arrives; never throws.
RecognitionOutcome Recognize(const RecognitionRequest& request);

}  // namespace quillory
