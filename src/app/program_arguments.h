// The program's arguments in UTF-8 with a C-style vector over them, argv[0] the program's name,
// read the way this system hands them to a program.
#pragma once

#include <string>
#include <vector>

class CProgramArguments {
public:
    CProgramArguments(int argc, char** argv);

    // Something follows the program's name: the console front end runs, else the window.
    bool Present() const { return present_; }
    // Empty when the arguments could be cut, else the text that says why not.
    const std::string& Error() const { return error_; }

    int Count() const { return static_cast<int>(pointers_.size()) - 1; }
    char** Vector() { return pointers_.data(); }

private:
    void Keep(std::vector<std::string> texts);

    bool present_ = false;
    std::string error_;
    std::vector<std::string> texts_;
    std::vector<char*> pointers_;  // into texts_, ending in a null pointer
};
