#pragma once
// The result of a platform routine that either gives a value or fails for a reason the system
// gave: tested and dereferenced as a std::optional is, and asked for Error() when it failed.
// SystemResult<void> is done or failed.
#include <optional>
#include <utility>

#include "platform/system_error.h"

namespace zep {

template <typename T>
class SystemResult {
public:
    SystemResult(T value) : m_value(std::move(value)) {}
    // Failed for that reason (an unknown one when it is empty).
    SystemResult(SystemError error) : m_error(error) {}
    // Failed for no reason a system call gave.
    SystemResult(std::nullopt_t) {}

    explicit operator bool() const { return m_value.has_value(); }
    bool has_value() const { return m_value.has_value(); }
    T& operator*() & { return *m_value; }
    const T& operator*() const& { return *m_value; }
    T&& operator*() && { return std::move(*m_value); }
    T* operator->() { return &*m_value; }
    const T* operator->() const { return &*m_value; }
    // Why there is no value; unknown while there is one.
    const SystemError& Error() const { return m_error; }

    friend bool operator==(const SystemResult& result, const T& value) {
        return result.m_value == value;
    }
    friend bool operator==(const SystemResult& result, std::nullopt_t) { return !result; }

private:
    std::optional<T> m_value;
    SystemError m_error;
};

template <>
class SystemResult<void> {
public:
    // Done.
    SystemResult() = default;
    // Failed for that reason (an unknown one when it is empty).
    SystemResult(SystemError error) : m_failed(true), m_error(error) {}

    explicit operator bool() const { return !m_failed; }
    const SystemError& Error() const { return m_error; }

private:
    bool m_failed = false;
    SystemError m_error;
};

using SystemDone = SystemResult<void>;

}  // namespace zep
