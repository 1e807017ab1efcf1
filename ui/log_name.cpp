#include "ui/log_name.h"

#include <cstdio>

std::string log_file_name(LogKind kind, const std::tm& t, const std::string& folder) {
    const char* stem = kind == LogKind::calibration ? "ddr_calibration" : "ddr_stresstest";
    char name[128];
    std::snprintf(name, sizeof name, "%s_%d%-.2d%-.2d-%d'%d'%d.log", stem, t.tm_year + 1900,
                  t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    std::string path = folder;
    if (!path.empty()) path.push_back(LOG_PATH_SEPARATOR);
    return path + name;
}

std::tm log_local_time_now() {
    std::time_t now = std::time(nullptr);
    // Only the window thread formats log names, so the shared result of
    // localtime is not raced.
    const std::tm* local = std::localtime(&now);
    return local ? *local : std::tm{};
}
