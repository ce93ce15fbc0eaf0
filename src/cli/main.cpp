#include "cli/run.hpp"
#include "platform/output_files.hpp"

int main(int argc, char** argv) {
    kessra::open_missing_standard_streams();
    kessra::install_interrupt_cleanup();
    return kessra::run_kessra(argc, argv, kessra::host_environment());
}
