#pragma once

#include <QString>
#include <cstdint>
#include <stdexcept>

namespace quiltmap {

// What went wrong, for a front end that words its messages itself; the window shows the
// message as it stands.
enum class ErrorCode {
    Unspecified,
    // `path` and the system's `reason`.
    CannotOpenFile,
    CannotReadFile,
    CannotCreateFile,
    CannotReadFolder,
    // `detail` is the codec's sheet::PngError.
    InvalidPng,
    // A file no installed image format reads; `reason` is the format library's.
    NotAnImage,
    // A tile of `width` x `height` pixels beyond what a tile may have.
    TileTooLarge,
    // A sheet of `width` x `height` pixels that cannot be made or saved.
    SheetTooLarge,
    EmptySheet,
    OutOfMemory,
    ZeroColumns,
};

struct ErrorFacts
{
    ErrorCode code = ErrorCode::Unspecified;
    QString path {};
    QString reason {};
    int detail = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
};

// The one exception type that leaves a unit: its message is the text the user sees, as it
// stands. Units keep finer error codes inside and turn them into this at their edge.
class Error : public std::runtime_error
{
public:
    explicit Error(const QString &message, ErrorFacts facts = {});

    const QString &message() const noexcept { return m_message; }
    const ErrorFacts &facts() const noexcept { return m_facts; }

private:
    QString m_message;
    ErrorFacts m_facts;
};

} // namespace quiltmap
