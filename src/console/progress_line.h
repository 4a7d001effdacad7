// The console's progress line: while a transfer runs and standard error is a terminal, one line
// there shows the file, bytes done of total, percent and bytes per second, redrawn at most ten
// times a second and erased once the file is complete, or before a message or question is
// printed, so a transfer that fails or is stopped leaves no half-drawn line above its message.
// It starts below the line standard output has left open ("Please wait ..."), so erasing never
// takes that text with it, and a question or message after it gets an empty line. Standard
// output is never touched.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

class CProgressLine {
public:
    // Shows progress only when standard error is a terminal.
    CProgressLine();
    // Erases the line if it was drawn.
    ~CProgressLine();

    CProgressLine(const CProgressLine&) = delete;
    CProgressLine& operator=(const CProgressLine&) = delete;

private:
    using Clock = std::chrono::steady_clock;
    void Update(const std::string& fileName, uint64_t done, uint64_t total);
    void Erase();

    bool active = false;
    bool drawn = false;
    bool belowOutput = false;  // the line feed that starts the line was written
    std::string currentFile;
    Clock::time_point fileStarted;
    Clock::time_point lastDrawn;
};
