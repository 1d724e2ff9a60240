#pragma once

#include <QString>
#include <stdexcept>

namespace quiltmap {

// The one exception type that leaves a unit: its message is the text the user sees, as it
// stands. Units keep finer error codes inside and turn them into this at their edge.
class Error : public std::runtime_error
{
public:
    explicit Error(const QString &message);

    const QString &message() const noexcept { return m_message; }

private:
    QString m_message;
};

} // namespace quiltmap
