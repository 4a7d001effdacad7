// Real input for the window tests on an X server: whether the application runs on one, and
// xdotool run to completion, so the events it made are in the X server when it returns.
#pragma once

#include <QGuiApplication>

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <string>
#include <vector>

extern char** environ;

inline bool OnRealX()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

// Runs xdotool with args and returns once it has exited: its events are in the X server then.
inline bool Xdotool(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    std::string program = "xdotool";
    argv.push_back(program.data());
    std::vector<std::string> copies = args;
    for (std::string& arg : copies)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawnp(&child, "xdotool", nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
