#include "FailureText.h"

#include <string_view>

#include "soap/errors.h"

namespace quillory {

namespace {

bool Has(std::string_view message, std::string_view part) {
    return message.find(part) != std::string_view::npos;
}

// The service's faults start with a fixed English lead; libcurl's errors name the failure.
QString CauseOf(std::string_view message, int status, const QString& endpoint) {
    if (Has(message, "timed out"))
        return QStringLiteral("识别超时：服务在限定时间内没有回复，请稍后重试，或换一张较小的图片");
    if (Has(message, "Couldn't connect") || Has(message, "Failed to connect") ||
        Has(message, "Could not resolve") || Has(message, "Connection refused"))
        return QStringLiteral("识别服务未响应：请确认 ocrgated 已启动，地址为 %1").arg(endpoint);
    if (message.starts_with("Address refused"))
        return QStringLiteral(
            "服务拒绝了这个网址：不能识别内网或本机地址上的图片，请换一个公网图片地址");
    if (message.starts_with("Fetch failed"))
        return QStringLiteral("服务无法下载这张网络图片：请确认网址正确并能在浏览器中打开");
    if (message.starts_with("Not a picture"))
        return QStringLiteral("不是可识别的图片：请选择 JPEG、PNG 或 BMP 图片");
    if (message.starts_with("Picture too large") || Has(message, "request is too large") ||
        status == 413)
        return QStringLiteral("图片太大：请缩小或裁剪图片后再试");
    if (message.starts_with("Server busy"))
        return QStringLiteral("识别服务正忙：请稍后重试");
    return {};
}

}  // namespace

QString FailureCause(const std::exception_ptr& error, const QString& endpoint) {
    try {
        std::rethrow_exception(error);
    } catch (const soap::ESOAPHTTPException& e) {
        return CauseOf(e.what(), e.StatusCode(), endpoint);
    } catch (const std::exception& e) {
        return CauseOf(e.what(), 0, endpoint);
    } catch (...) {
        return {};
    }
}

}  // namespace quillory
