#include "control/firmware_path.h"

#include <algorithm>

std::string firmware_path_on_disk(const char* catalogue_name) {
    std::string path = catalogue_name ? catalogue_name : "";
#ifndef _WIN32
    std::replace(path.begin(), path.end(), '\\', '/');
#endif
    return path;
}
