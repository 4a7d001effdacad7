// The console's fixed texts: banner, usage and the interactive command help.
#pragma once

constexpr const char* applicationName = "VANTFerrant";
constexpr const char* productVersionText = "Version 1.0.2.5";

void PrintBanner();
void PrintUsage();     // reports "Error - Invalid argument(s) passed" first
void PrintCommands();
