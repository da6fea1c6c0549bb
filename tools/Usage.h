#pragma once
// The command-line tools answer alike: `--help` prints the usage to standard
// output and succeeds; a command line the tool cannot use prints it to
// standard error and exits with 2.
#include <cstdio>
#include <cstring>

namespace tools {

class Usage {
public:
    explicit constexpr Usage(const char* text) : mText(text) {}

    // True when an argument is --help; the usage has been printed then.
    bool Help(int argc, char** argv) const
    {
        for (int i = 1; i < argc; ++i) {
            if (std::strcmp(argv[i], "--help") == 0) {
                std::fputs(mText, stdout);
                return true;
            }
        }
        return false;
    }

    // Prints the usage as an error and gives the exit code for it.
    int Error() const
    {
        std::fputs(mText, stderr);
        return 2;
    }

private:
    const char* mText;
};

} // namespace tools
