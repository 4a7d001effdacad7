// What the program does when started without arguments; the build picks the implementation.
#pragma once

int RunWindowBranch(int argc, char** argv);
