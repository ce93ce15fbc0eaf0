// The manual page cannot fall behind the parser: every option a build knows
// and every command word is documented in it.
#include <gtest/gtest.h>

#include "cli/commands.hpp"
#include "cli/options.hpp"
#include "cli/run_rom_command.hpp"
#include "support/test_support.hpp"

namespace kessra {
namespace {

TEST(ManualPage, DocumentsEveryOptionAndCommand) {
    const std::string page = testing::read_text(KESSRA_MAN_SOURCE);
    ASSERT_FALSE(page.empty());
    std::vector<std::string> names = build_option_names();
    ASSERT_GE(names.size(), 7u);
    for (const Command& command : known_commands()) names.emplace_back(command.word);
    for (const std::string& option : run_rom_option_names()) names.push_back(option);
    for (const std::string& name : names) {
        // Options and commands are set in bold where the page explains them.
        EXPECT_NE(page.find("*" + name + "*"), std::string::npos) << name << " is missing from the manual page";
    }
}

} // namespace
} // namespace kessra
