#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>

#include "settings/settings_image.h"

namespace velmira {

// A configuration file as the program loads it into a fresh (all-zero) image:
// up to the image's size is read, and a short file fills only what it holds.
struct ConfigRead {
    std::optional<std::string> failed;  // why the file could not be read
    SettingsImage image;
    std::int64_t size = 0;  // the file's own size in bytes
};

ConfigRead readConfigFile(const QString& path);

// Whether the bytes after the image are the same in two files of the same size,
// compared in chunks; nothing, or why one of them could not be read.
struct TailCompare {
    std::optional<std::string> failed;
    QString failedPath;  // the file `failed` is about
    bool same = true;
};
TailCompare compareTails(const QString& a, const QString& b);

}  // namespace velmira
