// Checks a data set folder against what the program needs:
//   datacheck [--rule NAME] FOLDER
// Prints "FAIL <rule>: <problem>" for every problem and exits with 1 when
// there was any, 0 when every rule passed, 2 on a usage error.
#include "tools/datacheck/Rules.h"

#include <cstring>
#include <iostream>

int main(int argc, char** argv)
{
    std::string only, root;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rule") == 0 && i + 1 < argc)
            only = argv[++i];
        else if (root.empty())
            root = argv[i];
        else
            root.clear(), i = argc;
    }
    if (root.empty()) {
        std::cerr << "usage: datacheck [--rule NAME] FOLDER\n";
        return 2;
    }
    datacheck::DataSet data(root);
    int failures = 0, run = 0;
    for (const datacheck::Rule& rule : datacheck::Rules()) {
        if (!only.empty() && only != rule.name)
            continue;
        ++run;
        datacheck::Report report;
        rule.check(data, report);
        for (const std::string& problem : report)
            std::cout << "FAIL " << rule.name << ": " << problem << "\n";
        if (report.empty())
            std::cout << "ok   " << rule.name << ": " << rule.what << "\n";
        failures += int(!report.empty());
    }
    if (run == 0) {
        std::cerr << "datacheck: no rule named " << only << "\n";
        return 2;
    }
    return failures ? 1 : 0;
}
