#pragma once

#include <utility>
#include <variant>

namespace orbisk {

// Why a read or a decode failed: a short literal, for tests and for the
// command-line tool. Failures travel as values because extraction runs on
// worker threads.
struct Error {
    const char* what;
};

// A value or the reason there is none (std::expected is C++23).
template <class T>
class [[nodiscard]] Result {
public:
    constexpr Result(T value)
        : state_(std::move(value))
    {
    }
    constexpr Result(Error error)
        : state_(error)
    {
    }

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<0>(state_); }
    const T& value() const& { return std::get<0>(state_); }
    T&& value() && { return std::get<0>(std::move(state_)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const char* error() const { return ok() ? "" : std::get<1>(state_).what; }
    Error AsError() const { return Error { error() }; }

private:
    std::variant<T, Error> state_;
};

// A result with no value: success or the reason for failure.
struct Ok {
};

} // namespace orbisk

// The step every fallible function repeats: declares `name` as the result of
// the expression and, when it failed, returns its error from the enclosing
// function (whose own Result may hold another type). `name` stays a Result:
// read its value with *name or name->.
//
//     ORBISK_TRY(header, reader.Record<IconDirHeader>(0));
//     return header->count;
#define ORBISK_TRY(name, ...)                                                                                          \
    auto name = (__VA_ARGS__);                                                                                         \
    if (!name)                                                                                                         \
    return name.AsError()

// The same for a step whose value is not needed: returns its error, if any.
#define ORBISK_TRY_VOID(...)                                                                                           \
    do {                                                                                                               \
        if (auto orbisk_try_result_ = (__VA_ARGS__); !orbisk_try_result_)                                              \
            return orbisk_try_result_.AsError();                                                                       \
    } while (false)
