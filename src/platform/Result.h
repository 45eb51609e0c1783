#pragma once

#include <string>
#include <utility>
#include <variant>

namespace corkwallery::platform {

// The value of an operation that can fail, or the text of its error.
template <typename T>
class Result {
public:
    static Result success(T value) { return Result(std::in_place_index<0>, std::move(value)); }
    static Result failure(std::string error) {
        return Result(std::in_place_index<1>, std::move(error));
    }

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    const T& value() const& { return std::get<0>(state_); }
    T& value() & { return std::get<0>(state_); }
    T&& value() && { return std::get<0>(std::move(state_)); }
    const std::string& error() const { return std::get<1>(state_); }

private:
    template <std::size_t I, typename V>
    Result(std::in_place_index_t<I> index, V&& v) : state_(index, std::forward<V>(v)) {}

    std::variant<T, std::string> state_;
};

}  // namespace corkwallery::platform
