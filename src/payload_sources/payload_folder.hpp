// Payload sets in the folder layout of an extracted disc:
// sys/apploader.img, sys/main.dol, files/F_00.tpl .. F_03.tpl, files/opening.bnr.
#pragma once

#include <string>
#include <vector>

#include "payload_sources/taken_payloads.hpp"
#include "platform/output_files.hpp"

namespace kessra {

// Takes the payload files present in `folder`; others in it are ignored. A
// folder that holds none of them is refused.
Result<SourceRead> read_payload_folder(const std::string& folder);

// The paths the set's files take in `folder`, in blob order.
std::vector<std::string> payload_folder_paths(const std::string& folder);

// Writes the set's seven files under temporary names beside their places in
// `folder`, making the folders it needs (recorded in `made`), and adds them to
// `outputs`: the caller puts them in place together (commit_outputs), or none.
Status stage_payload_folder(const std::string& folder, const PayloadSet& set, std::vector<OutputFile>& outputs,
                            MadeFolders& made);

} // namespace kessra
