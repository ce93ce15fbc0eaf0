// Checks of payload blobs against the fixed layout that every image relies
// on: lengths, the loader and program headers, the program's patch points,
// the skins' texture headers and the banner's magic. Every problem is
// reported, not just the first.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "payload_checks/payload_files.hpp"
#include "platform/status.hpp"

namespace kessra {

struct PayloadProblem {
    std::size_t blob = 0;     // LOADER_BLOB .. BANNER_BLOB
    std::string file;         // as messages name it
    std::string field;        // "entry point", "menu slot 17", "length"
    std::uint64_t offset = 0; // of the field in the file
    std::string expected;
    std::string found;
};

// "<file>: <field> at 0x<offset>: expected <expected>, found <found>"
std::string problem_line(const PayloadProblem& problem);

// A refusal with one such line for each problem; success when there is none.
Status problems_status(const std::vector<PayloadProblem>& problems);

// Checks one blob, named `file` in the problems. The loader's long form is
// checked against `program`, the program image used with it.
std::vector<PayloadProblem> check_blob(std::size_t blob, Blob bytes, const std::string& file, Blob program);

// Checks all seven; `files` names each blob in the problems.
std::vector<PayloadProblem> check_payload_set(const PayloadSet& set,
                                              const std::array<std::string, PAYLOAD_COUNT>& files);

// The part of a loader that goes into an image: the first APPLOADER_SIZE bytes.
Blob loader_in_use(Blob loader);

// Escaped text of raw bytes for messages: printable ASCII as is, NUL as \0,
// other bytes as \xNN.
std::string quoted_bytes(Blob bytes);
// The same between double quotes.
std::string quoted(Blob bytes);
std::string hex_word(std::uint32_t value);

} // namespace kessra
