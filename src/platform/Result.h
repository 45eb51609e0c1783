#pragma once

#include <string>
#include <utility>
#include <variant>

namespace corkwallery::platform {

// Why an operation failed: what kind of failure, for the code that decides what follows, and the
// text for the log, "<path>: <reason>" for files. No caller reads the text to tell the kind.
struct Error {
    enum class Kind {
        Io,              // the file system refused or failed (no such file, permissions, disk)
        NotRegularFile,  // a FIFO, a device, a folder or a socket where a file was expected
        Invalid,         // the bytes are not what was expected: no JSON, no picture, no number
        TooLarge,        // more than may ever be allocated for it
    };
    Kind kind = Kind::Io;
    std::string message;

    friend bool operator==(const Error&, const Error&) = default;
};

// The value of an operation that can fail, or its error.
template <typename T>
class Result {
public:
    static Result success(T value) { return Result(std::in_place_index<0>, std::move(value)); }
    static Result failure(Error error) { return Result(std::in_place_index<1>, std::move(error)); }
    static Result failure(Error::Kind kind, std::string message) {
        return failure(Error{kind, std::move(message)});
    }

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    const T& value() const& { return std::get<0>(state_); }
    T& value() & { return std::get<0>(state_); }
    T&& value() && { return std::get<0>(std::move(state_)); }
    const Error& error() const { return std::get<1>(state_); }

private:
    template <std::size_t I, typename V>
    Result(std::in_place_index_t<I> index, V&& v) : state_(index, std::forward<V>(v)) {}

    std::variant<T, Error> state_;
};

}  // namespace corkwallery::platform
