#include "FailureText.h"

#include <QXmlStreamReader>

#include <curl/curl.h>

#include <string_view>

#include "contract/contract.h"
#include "contract/fault_reason.h"
#include "soap/errors.h"

namespace quillory {

namespace {

namespace reason = ocrgate::reason;

QString Unreachable(const QString& endpoint) {
    return QStringLiteral("识别服务未响应：请确认 ocrgated 已启动，地址为 %1").arg(endpoint);
}

// The cause for a reason the service gave; empty for a word this window does not know.
QString ForReason(std::string_view word) {
    struct Cause {
        std::string_view word;
        const char16_t* text;
    };
    static constexpr Cause kCauses[] = {
        {reason::kStarting, u"识别服务正在启动：请等几秒后再试"},
        {reason::kBusy, u"识别服务正忙：请稍后重试"},
        {reason::kShuttingDown, u"识别服务正在停止：请稍后重试，或重新启动 ocrgated"},
        {reason::kTimeLimit,
         u"识别超时：这张图片在服务的时间限制内没有读完，请换一张较小或较清晰的图片"},
        {reason::kNotAPicture, u"不是可识别的图片：请选择 JPEG、PNG 或 BMP 图片"},
        {reason::kTooLarge, u"图片太大：请缩小或裁剪图片后再试"},
        {reason::kEmpty, u"没有发送图片或网址：请先选择图片或填写图片网址"},
        {reason::kAddressScheme, u"不是网络图片的网址：网址须以 http:// 或 https:// 开头"},
        {reason::kAddressPrivate,
         u"服务拒绝了这个网址：不能识别内网或本机地址上的图片，请换一个公网图片地址"},
        {reason::kFetchFailed, u"服务无法下载这张网络图片：请确认网址正确并能在浏览器中打开"},
        {reason::kFetchTimeLimit, u"下载网络图片超时：图片所在的网站回复太慢，请稍后重试或换一个网址"},
        {reason::kBadRequest, u"识别服务不接受这个请求：请确认窗口和服务的版本一致"},
        {reason::kCancelled, u"识别已取消"},
        {reason::kServerError, u"识别服务内部出错：请稍后重试，仍然出错请查看服务的日志"},
    };
    for (const Cause& cause : kCauses) {
        if (cause.word == word)
            return QString::fromUtf16(cause.text);
    }
    return {};
}

QString ForTransportCode(int code, const QString& endpoint) {
    switch (code) {
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_CONNECT:
            return Unreachable(endpoint);
        case CURLE_OPERATION_TIMEDOUT:
            return QStringLiteral(
                "识别超时：服务在限定时间内没有回复，请稍后重试，或换一张较小的图片");
        case CURLE_GOT_NOTHING:
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR:
        case CURLE_PARTIAL_FILE:
            return QStringLiteral("与识别服务的连接中断：服务可能已停止或重启，请稍后重试");
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_CERTPROBLEM:
            return QStringLiteral("无法与识别服务建立安全连接：服务的证书无效或不受信任");
        default:
            return QStringLiteral("无法与识别服务通信：请确认服务地址 %1 正确").arg(endpoint);
    }
}

QString ForStatus(int status, const std::string& word, const QString& endpoint) {
    if (const QString cause = ForReason(word); !cause.isEmpty())
        return cause;
    switch (status) {
        case 401:
        case 403:
        case 407:
            return QStringLiteral("识别服务拒绝访问：这个服务需要登录或不允许本机使用");
        case 404:
        case 405:
            return QStringLiteral("这个地址上没有识别服务：请确认服务地址 %1 正确").arg(endpoint);
        case 413:
            return ForReason(reason::kTooLarge);
        case 502:
        case 503:
        case 504:
            return ForReason(reason::kBusy);
        default:
            return status >= 500
                       ? QStringLiteral("识别服务出错（HTTP %1）：请稍后重试").arg(status)
                       : QStringLiteral("识别服务拒绝了请求（HTTP %1）：请确认服务地址 %2 正确")
                             .arg(status)
                             .arg(endpoint);
    }
}

// The reason the service put in a fault's detail, read by its element and namespace.
std::string ReasonInDetail(const std::u16string& detail) {
    QXmlStreamReader xml(QString::fromStdU16String(detail));
    const QString ns = QString::fromUtf8(ocrgate::kNamespace.data(), qsizetype(ocrgate::kNamespace.size()));
    const QString name = QString::fromUtf8(ocrgate::kReasonElement.data(),
                                           qsizetype(ocrgate::kReasonElement.size()));
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == name &&
            xml.namespaceUri() == ns)
            return xml.readElementText().trimmed().toStdString();
    }
    return {};
}

QString ForFault(const soap::ERemotableException& fault) {
    if (const QString cause = ForReason(ReasonInDetail(fault.FaultDetail())); !cause.isEmpty())
        return cause;
    // A service that names no reason: only the side the fault lies on is known.
    const std::u16string& code = fault.FaultCode();
    const bool client = code.ends_with(u":Client") || code == u"Client";
    return ForReason(client ? reason::kBadRequest : reason::kServerError);
}

}  // namespace

QString FailureCause(const std::exception_ptr& error, const QString& endpoint) {
    try {
        std::rethrow_exception(error);
    } catch (const soap::EAbort&) {
        return QStringLiteral("登录提示已取消");
    } catch (const soap::ESOAPHTTPException& e) {
        if (e.StatusCode() != 0)
            return ForStatus(e.StatusCode(), e.ServiceReason(), endpoint);
        if (e.TransportCode() != 0)
            return ForTransportCode(e.TransportCode(), endpoint);
        // Answered, but not as a SOAP service answers: a web page, an empty reply.
        return QStringLiteral("这个地址上的服务不是识别服务：请确认服务地址 %1 正确").arg(endpoint);
    } catch (const soap::ERemotableException& e) {
        return ForFault(e);
    } catch (const soap::Exception&) {
        // The reply could not be read as a SOAP envelope.
        return QStringLiteral("识别服务的回复无法读取：请确认服务地址 %1 指向 ocrgated").arg(endpoint);
    } catch (const std::bad_alloc&) {
        return QStringLiteral("内存不足：请关闭其他程序，或换一张较小的图片");
    } catch (...) {
        return QStringLiteral("发生了意外的错误：请重试，错误的原文见提示");
    }
}

}  // namespace quillory
