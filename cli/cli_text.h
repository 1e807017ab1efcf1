// Small text helpers of orvane-cli.
#pragma once

#include <cstdio>
#include <string>

// The catalogue's wide text as UTF-8.
std::string cli_utf8(const char16_t* text);

// Index of the target whose name matches, ignoring letter case; -1 if none.
int cli_find_target(const std::string& name);

// The catalogue's target names, separated by ", ".
std::string cli_target_names();

// True when the stream is a terminal (a progress bar is drawn only there).
bool cli_is_terminal(std::FILE* stream);
