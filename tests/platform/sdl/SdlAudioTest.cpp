#include "platform/Backend.h"
#include "platform/sdl/SdlBackend.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class Silence : public platform::AudioSource {
public:
    void MixInto(int32_t*, size_t) override {}
};

// A sound device that cannot be opened (an ALSA device that does not
// exist) costs one line on stderr, not the sound library's own chatter
// before it, and the program goes on.
TEST(SdlAudio, AMissingSoundDeviceIsOneLine)
{
    char path[] = "/tmp/sdl-audio-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    const pid_t child = fork();
    if (child == 0) {
        dup2(fd, 2);
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "alsa", 1);
        setenv("AUDIODEV", "kivo_no_such_device", 1);
        platform::RegisterSdlBackend();
        if (!platform::UseBackend("sdl"))
            _exit(3);
        Silence source;
        platform::CurrentBackend().GetAudio().AddSource(&source);
        platform::CurrentBackend().GetAudio().RemoveSource(&source);
        // The device opens on a thread of its own; the backend waits for it
        // as it goes.
        platform::UseBackend("system");
        std::fflush(stderr);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    close(fd);
    unlink(path);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    const std::string err = text.str();
    EXPECT_EQ(err.rfind("No sound device (", 0), 0u) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

} // namespace
