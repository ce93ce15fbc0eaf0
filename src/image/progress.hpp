// How a build tells its progress: the writer hands each piece of its report
// text, in order and between its writes, to a sink the caller supplies (the
// front end's prints it on the console; a test keeps it).
#pragma once

#include <functional>
#include <string_view>

namespace kessra {

using ProgressText = std::function<void(std::string_view text)>;

} // namespace kessra
