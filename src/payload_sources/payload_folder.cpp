#include "payload_sources/payload_folder.hpp"

#include <array>

#include "platform/file_io.hpp"
#include "platform/output_files.hpp"
#include "platform/paths.hpp"
#include "platform/folders.hpp"
#include "platform/read_file.hpp"

namespace kessra {

namespace {

// The folder layout uses '/'; the host may want its own separator.
std::string host_path(const std::string& folder, const char* relative) {
    std::string path = join_path(folder, relative);
    for (char& c : path) {
        if (c == '/') c = PATH_SEPARATOR;
    }
    return path;
}

} // namespace

std::vector<std::string> payload_folder_paths(const std::string& folder) {
    std::vector<std::string> paths;
    for (const PayloadFile& file : PAYLOAD_FILES) paths.push_back(host_path(folder, payload_folder_path(file).c_str()));
    return paths;
}

Result<SourceRead> read_payload_folder(const std::string& folder) {
    if (!is_directory(folder)) return {Status::failure(folder + ": not a folder"), {}};
    SourceRead read;
    const std::vector<std::string> paths = payload_folder_paths(folder);
    bool any = false;
    for (std::size_t blob = 0; blob < PAYLOAD_COUNT; ++blob) {
        const std::uint64_t limit = blob == LOADER_BLOB ? APPLOADER_ANNOUNCED_SIZE : PAYLOAD_FILES[blob].size;
        if (Status status = check_inside_folder(paths[blob], folder); !status) return {status, {}};
        Result<SmallFile> file = read_small_file(paths[blob], limit);
        if (!file) return {file.status, {}};
        if (!file.value.exists) continue;
        any = true;
        if (file.value.size > limit) {
            read.problems.push_back({blob, paths[blob], "length", 0,
                                     std::to_string(PAYLOAD_FILES[blob].size) + " bytes",
                                     std::to_string(file.value.size) + " bytes"});
            continue;
        }
        read.blobs[blob] = TakenBlob{std::move(file.value.bytes), paths[blob]};
    }
    if (!any) {
        return {Status::failure(folder + ": holds none of sys/apploader.img, sys/main.dol, files/F_00.tpl to "
                                         "files/F_03.tpl, files/opening.bnr"),
                {}};
    }
    return success(std::move(read));
}

Status stage_payload_folder(const std::string& folder, const PayloadSet& set, std::vector<OutputFile>& outputs,
                            MadeFolders& made) {
    const std::vector<std::string> paths = payload_folder_paths(folder);
    for (const char* sub : {"sys", "files"}) {
        if (Status status = make_output_folders(host_path(folder, sub), made); !status) return status;
    }
    for (std::size_t blob = 0; blob < PAYLOAD_COUNT; ++blob) {
        if (Status status = stage_output(outputs, paths[blob], payload_blob(set, blob)); !status) return status;
    }
    return Status::success();
}

} // namespace kessra
