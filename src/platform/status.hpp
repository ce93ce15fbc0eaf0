// The one error scheme: an operation that can fail returns a Status (or a
// Result carrying a value). A failed Status holds one line for the user that
// names the file and the reason; an empty message means the failure has
// already been reported in the tool's own console words.
#pragma once

#include <string>
#include <utility>

namespace kessra {

struct [[nodiscard]] Status {
    bool ok = true;
    std::string message;

    static Status success() { return {}; }
    static Status failure(std::string line) { return {false, std::move(line)}; }
    // A failure whose console message has already been printed.
    static Status reported() { return {false, {}}; }

    explicit operator bool() const { return ok; }
};

template <typename T>
struct [[nodiscard]] Result {
    Status status;
    T value{};

    explicit operator bool() const { return status.ok; }
};

template <typename T>
Result<T> success(T value) {
    return {Status::success(), std::move(value)};
}

// "<file>: <what> failed: <reason>" with the reason taken from errno.
std::string io_error_line(const std::string& file, const char* what, int error_number);

} // namespace kessra
