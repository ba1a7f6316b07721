// morvale started where its display cannot be reached.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Ended {
    int status = -1;
    std::string standardError;
};

// Runs morvale with the environment changed as given ("NAME=value" sets,
// "NAME" removes) and collects its standard error.
Ended runMorvale(const std::vector<std::string>& changes) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string variable = *entry;
        bool changed = false;
        for (const std::string& change : changes) {
            const std::string name = change.substr(0, change.find('='));
            changed = changed || variable.rfind(name + "=", 0) == 0;
        }
        if (!changed) {
            environment.push_back(variable);
        }
    }
    for (const std::string& change : changes) {
        if (change.find('=') != std::string::npos) {
            environment.push_back(change);
        }
    }
    std::vector<char*> envp;
    for (std::string& variable : environment) {
        envp.push_back(variable.data());
    }
    envp.push_back(nullptr);

    int pipeFds[2];
    EXPECT_EQ(::pipe(pipeFds), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    char program[] = MORVALE_BINARY;
    char* argv[] = {program, nullptr};
    pid_t pid = -1;
    Ended ended;
    const int spawned = ::posix_spawn(&pid, program, &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    EXPECT_EQ(spawned, 0);
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) {
        ended.standardError.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(pipeFds[0]);
    if (spawned == 0) {
        ::waitpid(pid, &ended.status, 0);
    }
    return ended;
}

TEST(Display, ThatCannotBeOpenedGivesOneLineAndExitStatusOne) {
    const Ended ended =
        runMorvale({"DISPLAY=:99", "QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "XAUTHORITY"});
    ASSERT_TRUE(WIFEXITED(ended.status)) << "ended by a signal: " << ended.standardError;
    EXPECT_EQ(WEXITSTATUS(ended.status), 1);
    EXPECT_EQ(ended.standardError, "morvale: cannot open the display (DISPLAY=:99)\n");
}

TEST(Display, NoneAtAllGivesOneLineAndExitStatusOne) {
    const Ended ended = runMorvale({"DISPLAY", "QT_QPA_PLATFORM", "WAYLAND_DISPLAY"});
    ASSERT_TRUE(WIFEXITED(ended.status));
    EXPECT_EQ(WEXITSTATUS(ended.status), 1);
    EXPECT_EQ(std::count(ended.standardError.begin(), ended.standardError.end(), '\n'), 1);
}

}  // namespace
