// Names of the result logs, formatted from the local time of saving:
// <folder><sep>ddr_calibration_YYYYMMDD-H'M'S.log (stress test likewise),
// month and day two digits, hour, minute and second without padding.
#pragma once

#include <ctime>
#include <string>

enum class LogKind { calibration, stress_test };

// The separator of the log name, in the file system and in the message:
// "\" on Windows, "/" elsewhere.
#ifdef _WIN32
constexpr char LOG_PATH_SEPARATOR = '\\';
#else
constexpr char LOG_PATH_SEPARATOR = '/';
#endif

std::string log_file_name(LogKind kind, const std::tm& local_time,
                          const std::string& folder = "log");
// The local time now (time zone and daylight saving of the system).
std::tm log_local_time_now();
