// The manual page and the shell completion cannot fall behind the option
// table: every option and every command word is documented in the page, and
// the completion offers each command exactly the options it takes.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "cli/commands.hpp"
#include "cli/option_table.hpp"
#include "support/test_support.hpp"

namespace kessra {
namespace {

constexpr unsigned EVERY_COMMAND = FOR_BUILD | FOR_EXPORT | FOR_INSPECT | FOR_RUN;

TEST(ManualPage, DocumentsEveryOptionAndCommand) {
    const std::string page = testing::read_text(KESSRA_MAN_SOURCE);
    ASSERT_FALSE(page.empty());
    std::vector<std::string> names = option_names(EVERY_COMMAND);
    ASSERT_GE(names.size(), 7u);
    for (const Command& command : known_commands()) names.emplace_back(command.word);
    for (const std::string& name : names) {
        // Options and commands are set in bold where the page explains them.
        EXPECT_NE(page.find("*" + name + "*"), std::string::npos) << name << " is missing from the manual page";
    }
}

// The words of the completion's `local <list>="..."` assignment, sorted.
std::vector<std::string> completion_words(const std::string& script, const std::string& list) {
    const std::string start = "local " + list + "=\"";
    const std::size_t from = script.find(start);
    if (from == std::string::npos) return {};
    const std::size_t begin = from + start.size();
    std::istringstream words(script.substr(begin, script.find('"', begin) - begin));
    std::vector<std::string> found;
    for (std::string word; words >> word;) found.push_back(word);
    std::sort(found.begin(), found.end());
    return found;
}

TEST(ShellCompletion, OffersEachCommandItsOptionsFromTheTable) {
    const std::string script = testing::read_text(KESSRA_COMPLETION_SOURCE);
    ASSERT_FALSE(script.empty());
    const struct {
        const char* list;
        unsigned command;
    } lists[] = {{"build_options", FOR_BUILD},
                 {"export_options", FOR_EXPORT},
                 {"inspect_options", FOR_INSPECT},
                 {"run_options", FOR_RUN}};
    for (const auto& list : lists) {
        std::vector<std::string> expected = option_names(list.command);
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(completion_words(script, list.list), expected) << list.list;
    }
    std::vector<std::string> commands;
    for (const Command& command : known_commands()) commands.emplace_back(command.word);
    std::sort(commands.begin(), commands.end());
    EXPECT_EQ(completion_words(script, "commands"), commands);
}

} // namespace
} // namespace kessra
