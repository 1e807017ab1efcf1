// Start-up of Orvane.exe: common controls, restart registration and the
// application's name.
#pragma once

#include <string>

// The application's name: the executable's file name without its extension
// ("C:\Tools\Orvane.exe" gives "Orvane").
std::u16string win32_app_name_from_path(const std::u16string& module_path);
// The application's name of the running program.
std::u16string win32_app_name();

// Registers the common control classes (ICC_WIN95_CLASSES). True on success.
bool win32_init_common_controls();

// The arguments of a command line: what follows the program's name (quoted
// or not) and the blanks after it.
std::u16string win32_command_arguments(const std::u16string& command_line);
// The command line handed to the restart manager: the program's own
// arguments, then " /RestartByRestartManager:" and the restart GUID.
std::u16string win32_restart_command_line(const std::u16string& own_arguments, const std::u16string& guid);
// Registers the process for restart after a crash or an update (flags 0),
// with a newly generated GUID. True when the system accepted it.
bool win32_register_restart();
