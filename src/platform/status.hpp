// The one error scheme: an operation that can fail returns a Status (or a
// Result carrying a value). A failed Status holds what the user is told and
// where each part belongs: the tool's own refusal words, which have always
// gone to standard output as they are, and lines for standard error that
// name the file and the reason. Only the front end prints them.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kessra {

struct [[nodiscard]] Status {
    bool ok = true;
    // The first line for standard error ("kessra: " is put before it); may
    // be empty when the console words say it all.
    std::string message;
    // Text for standard output, printed exactly as it is and before the lines
    // for standard error: the refusals in the tool's historic console words.
    std::string console;
    // Further lines for standard error, one problem each.
    std::vector<std::string> more_lines;

    static Status success() { return {}; }
    static Status failure(std::string line) { return {false, std::move(line), {}, {}}; }
    // A refusal told in the console words alone.
    static Status refusal(std::string console_text) { return {false, {}, std::move(console_text), {}}; }
    // A failure with one line for each problem; `lines` must not be empty.
    static Status failures(std::vector<std::string> lines);

    explicit operator bool() const { return ok; }
};

template <typename T> struct [[nodiscard]] Result {
    Status status;
    T value{};

    explicit operator bool() const { return status.ok; }
};

template <typename T> Result<T> success(T value) { return {Status::success(), std::move(value)}; }

template <typename T> Result<T> failed(Status status) { return {std::move(status), T{}}; }

// "<file>: <what> failed: <reason>" with the reason taken from errno.
std::string io_error_line(const std::string& file, const char* what, int error_number);

} // namespace kessra
