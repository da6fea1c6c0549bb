// Checks a data set folder against what the program needs:
//   datacheck [--rule NAME] FOLDER
// Prints "FAIL <rule>: <problem>" for every problem and exits with 1 when
// there was any, 0 when every rule passed, 2 on a usage error (and when
// FOLDER is not a data set).
#include "tools/Usage.h"
#include "tools/datacheck/Rules.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>

int main(int argc, char** argv)
{
    const tools::Usage usage("usage: datacheck [--rule NAME] FOLDER\n"
                             "FOLDER is the unpacked data set, the folder holding properties/, images/, sounds/...\n"
                             "(the build makes it as build/<config>/data/tree).\n");
    if (usage.Help(argc, argv))
        return 0;
    std::string only, root;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rule") == 0 && i + 1 < argc && argv[i + 1][0] != '\0')
            only = argv[++i];
        else if (argv[i][0] == '-' || !root.empty())
            return usage.Error();
        else
            root = argv[i];
    }
    if (root.empty())
        return usage.Error();
    const auto& rules = datacheck::Rules();
    if (!only.empty() && std::none_of(rules.begin(), rules.end(), [&](const auto& r) { return only == r.name; })) {
        std::cerr << "datacheck: no rule named " << only << "; the rules are:\n";
        for (const datacheck::Rule& rule : rules)
            std::cerr << "  " << rule.name << "\n";
        return 2;
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(std::filesystem::path(root) / "properties", ec)) {
        std::cerr << "datacheck: '" << root
                  << "' is not an unpacked data set: it holds no properties folder "
                     "(the build makes one as build/<config>/data/tree).\n";
        return 2;
    }
    datacheck::DataSet data(root);
    int failures = 0;
    for (const datacheck::Rule& rule : rules) {
        if (!only.empty() && only != rule.name)
            continue;
        datacheck::Report report;
        try {
            rule.check(data, report);
        } catch (const std::exception& e) {
            // A folder where a file should be, a file that cannot be read:
            // the rule failed, and the others still run.
            report.push_back(std::string("cannot be checked: ") + e.what());
        }
        for (const std::string& problem : report)
            std::cout << "FAIL " << rule.name << ": " << problem << "\n";
        if (report.empty())
            std::cout << "ok   " << rule.name << ": " << rule.what << "\n";
        failures += int(!report.empty());
    }
    return failures ? 1 : 0;
}
