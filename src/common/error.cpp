#include "common/error.h"

namespace quiltmap {

Error::Error(const QString &message)
    : std::runtime_error(message.toStdString())
    , m_message(message)
{ }

} // namespace quiltmap
