#include "common/error.h"

namespace quiltmap {

Error::Error(const QString &message, ErrorFacts facts)
    : std::runtime_error(message.toStdString())
    , m_message(message)
    , m_facts(std::move(facts))
{ }

} // namespace quiltmap
