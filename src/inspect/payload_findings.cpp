// The seven payloads as the image carries them: each the built-in one, a
// foreign one that passes the payload checks, or the checks it fails.
#include "format/disc_format.hpp"
#include "inspect/inspection.hpp"
#include "inspect/problem_list.hpp"
#include "payload_checks/patch_points.hpp"
#include "payload_checks/payload_checks.hpp"

namespace kessra {

namespace {

// Payload files longer than this are not read (every payload is far smaller).
constexpr std::uint64_t PAYLOAD_READ_LIMIT = 8 * 1024 * 1024;

struct Located {
    PayloadFinding finding;
    std::vector<std::uint8_t> bytes;
    bool table_problem = false; // the table's checks report it already
};

Located locate(ByteSource& source, const FileTable& table, std::size_t blob) {
    Located found;
    PayloadFinding& finding = found.finding;
    if (blob == LOADER_BLOB || blob == PROGRAM_BLOB) {
        finding.name = blob == LOADER_BLOB ? "loader" : "program image";
        // At their fixed places, whatever the header word says (check_header_words).
        finding.offset = blob == LOADER_BLOB ? LOADER_OFFSET : PROGRAM_IMAGE_OFFSET;
        finding.size = blob == LOADER_BLOB ? APPLOADER_SIZE : PROGRAM_IMAGE_SIZE;
        Result<std::vector<std::uint8_t>> bytes = read_range(source, finding.offset, finding.size, PAYLOAD_READ_LIMIT);
        if (!bytes) {
            finding.problems.push_back(hex_offset(finding.offset) + ": " + std::to_string(finding.size) +
                                       " bytes pass the end of the image");
            return found;
        }
        found.bytes = std::move(bytes.value);
        return found;
    }
    finding.name = PAYLOAD_FILES[blob].name;
    const DiscEntry* entry = find_entry(table, finding.name);
    if (entry == nullptr || entry->directory) {
        finding.problems.push_back(finding.name + ": not in the root folder");
        return found;
    }
    finding.offset = entry->offset;
    finding.size = entry->length;
    Result<std::vector<std::uint8_t>> bytes = read_file(source, *entry, PAYLOAD_READ_LIMIT);
    if (!bytes) {
        found.table_problem = !range_inside(entry->offset, entry->length, source.size());
        finding.problems.push_back(finding.name + ": " + std::to_string(entry->length) + " bytes at " +
                                   hex_offset(entry->offset) + " cannot be read");
        return found;
    }
    found.bytes = std::move(bytes.value);
    return found;
}

} // namespace

std::string payload_state_name(PayloadState state) {
    switch (state) {
    case PayloadState::builtin: return "built-in";
    case PayloadState::foreign: return "foreign, valid";
    case PayloadState::invalid: return "invalid";
    case PayloadState::missing: return "missing";
    }
    return "?";
}

void check_payloads(ByteSource& source, const PayloadSet& builtin, Inspection& found) {
    ProblemList problems{found};
    std::vector<Located> located;
    for (std::size_t blob = 0; blob < PAYLOAD_COUNT; ++blob) {
        located.push_back(locate(source, *found.table, blob));
    }
    const Blob program = located[PROGRAM_BLOB].bytes;
    for (std::size_t blob = 0; blob < PAYLOAD_COUNT; ++blob) {
        PayloadFinding& finding = located[blob].finding;
        const Blob bytes = located[blob].bytes;
        if (!finding.problems.empty()) {
            finding.state = PayloadState::missing;
        } else if (is_builtin_blob(blob, bytes, builtin)) {
            finding.state = PayloadState::builtin;
        } else {
            for (const PayloadProblem& problem : check_blob(blob, bytes, finding.name, program)) {
                finding.problems.push_back(problem_line(problem));
            }
            finding.state = finding.problems.empty() ? PayloadState::foreign : PayloadState::invalid;
        }
        if (!located[blob].table_problem)
            for (const std::string& line : finding.problems) problems.add(line);
        found.payloads.push_back(std::move(finding));
    }
}

} // namespace kessra
