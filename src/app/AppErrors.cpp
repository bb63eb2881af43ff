#include "AppErrors.h"

#include "soap/errors.h"

namespace quillory {

EFCreateError::EFCreateError(const QString& path, const QString& reason)
    : std::runtime_error(
          QStringLiteral("Cannot create file \"%1\". %2").arg(path, reason).toStdString()) {}

ENavigationError::ENavigationError(const QString& address)
    : std::runtime_error(QStringLiteral("无法打开地址“%1”").arg(address).toStdString()) {}

bool IsSilentAbort(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const soap::EAbort&) {
        return true;
    } catch (...) {
        return false;
    }
}

QString DescribeError(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("未知错误");
    }
}

}  // namespace quillory
