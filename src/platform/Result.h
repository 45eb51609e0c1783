#pragma once

#include <string>
#include <type_traits>
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
        Unsupported,     // a format that is never read (SVG pictures)
        NotFound,        // no such file in a folder that can be listed
        Unreachable,     // the folder that should hold it cannot be listed (unmounted, no access)
    };
    Kind kind = Kind::Io;
    std::string message;

    friend bool operator==(const Error&, const Error&) = default;
};

// The value of an operation that can fail, or its error; Result<void> carries no value. It must
// be looked at: a failure that is dropped on purpose goes through discard().
template <typename T>
class [[nodiscard]] Result {
    using Value = std::conditional_t<std::is_void_v<T>, std::monostate, T>;

public:
    // A failure converts to a result of any type, so that it can be handed up as it is.
    Result(Error error) : state_(std::in_place_index<1>, std::move(error)) {}  // NOLINT

    template <typename V = Value>
    static Result success(V value = {}) {
        return Result(std::in_place_index<0>, std::move(value));
    }
    static Result failure(Error error) { return Result(std::move(error)); }
    static Result failure(Error::Kind kind, std::string message) {
        return failure(Error{kind, std::move(message)});
    }

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    const Value& value() const& { return std::get<0>(state_); }
    Value& value() & { return std::get<0>(state_); }
    Value&& value() && { return std::get<0>(std::move(state_)); }
    const Error& error() const& { return std::get<1>(state_); }
    Error&& error() && { return std::get<1>(std::move(state_)); }

private:
    template <std::size_t I, typename V>
    Result(std::in_place_index_t<I> index, V&& v) : state_(index, std::forward<V>(v)) {}

    std::variant<Value, Error> state_;
};

// A result dropped on purpose: its failure is handled elsewhere (logged where it arose, or
// retried). Greppable, unlike a cast to void.
template <typename T>
void discard(Result<T>&& /*result*/) {}

}  // namespace corkwallery::platform

// Hands a failure up to the caller, whose own result type takes the error; otherwise declares
// `declaration` from the value:  TRY(auto header, PictureHeader::read(file, path));
#define TRY(declaration, expression) \
    TRY_WITH_NAME(declaration, expression, CORKWALLERY_TRY_NAME(__LINE__))
// The same for a Result<void>, or a value that is not wanted.
#define TRY_DO(expression)                       \
    do {                                         \
        if (auto tried_ = (expression); !tried_) \
            return std::move(tried_).error();    \
    } while (false)

#define CORKWALLERY_TRY_NAME(line) CORKWALLERY_TRY_CONCAT(tried_, line)
#define CORKWALLERY_TRY_CONCAT(a, b) a##b
#define TRY_WITH_NAME(declaration, expression, name) \
    auto name = (expression);                        \
    if (!name)                                       \
        return std::move(name).error();              \
    declaration = std::move(name).value()
