// The C decoders (libpng, libjpeg) report a fatal error by calling a function
// that must not return; the tool's jumps back (longjmp) to the step that was
// running. A jump skips destructors, so a step holds no object that has one,
// and every C++ object is made between steps.
#pragma once

#include <csetjmp>

namespace kessra::texture {

// Runs `step`, which calls the C library and nothing else, with `jump` as the
// place its fatal errors come back to; false when one did.
template <class Step> bool run_step(std::jmp_buf& jump, Step step) {
    if (setjmp(jump) != 0) return false;
    step();
    return true;
}

// Calls `release` when it goes out of scope: frees the library's state
// however the decoding ends.
template <class Release> struct AtScopeEnd {
    Release release;
    ~AtScopeEnd() { release(); }
};
template <class Release> AtScopeEnd(Release) -> AtScopeEnd<Release>;

} // namespace kessra::texture
