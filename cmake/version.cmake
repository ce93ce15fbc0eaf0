# The version shown by `kessra --version`: the project's version, and the git
# revision the build was made from when it is made from a git checkout.
find_package(Git QUIET)
set(KESSRA_REVISION "")
if(GIT_FOUND AND EXISTS "${PROJECT_SOURCE_DIR}/.git")
  execute_process(
    COMMAND "${GIT_EXECUTABLE}" rev-parse --short=10 HEAD
    WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
    OUTPUT_VARIABLE KESSRA_REVISION
    OUTPUT_STRIP_TRAILING_WHITESPACE
    ERROR_QUIET)
endif()
if(KESSRA_REVISION)
  set(KESSRA_VERSION_TEXT "${PROJECT_VERSION} (git ${KESSRA_REVISION})")
else()
  set(KESSRA_VERSION_TEXT "${PROJECT_VERSION}")
endif()
configure_file("${PROJECT_SOURCE_DIR}/src/cli/version.hpp.in"
               "${PROJECT_BINARY_DIR}/generated/cli/version.hpp" @ONLY)
