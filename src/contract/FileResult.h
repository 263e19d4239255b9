#pragma once

#include "contract/FileError.h"

#include <QtGlobal>
#include <optional>
#include <utility>

// What a file operation that yields data returns: the data, or why the file
// could not be read (or the data not made). A plain value, moved to the
// caller; the data is T's empty value when there is an error.
template <typename T>
class FileResult {
public:
    // Not explicit: a function returns either its data or a FileError.
    FileResult(T value)
        : m_value(std::move(value)) {}
    FileResult(FileError error)
        : m_error(std::move(error)) {}

    // Empty on success; otherwise why the operation failed.
    const std::optional<FileError>& error() const { return m_error; }
    bool ok() const { return !m_error.has_value(); }

    // The data; only for a result without an error.
    const T& value() const& {
        Q_ASSERT(ok());
        return m_value;
    }
    T&& value() && {
        Q_ASSERT(ok());
        return std::move(m_value);
    }
    const T& operator*() const& { return value(); }
    const T* operator->() const { return &value(); }

private:
    T m_value{};
    std::optional<FileError> m_error;
};
