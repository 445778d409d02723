#pragma once

#include <QString>
#include <cstdint>
#include <string>

#include "platform/result.h"
#include "settings/settings_image.h"

namespace velmira {

// A configuration file as the program loads it into a fresh (all-zero) image:
// up to the image's size is read, and a short file fills only what it holds.
struct ConfigRead {
    SettingsImage image;
    std::int64_t size = 0;  // the file's own size in bytes
};

// A failure says why the file could not be read.
Result<ConfigRead> readConfigFile(const QString& path);

// Whether the bytes after the image are the same in two files of the same size,
// compared in chunks. A failure names the file that could not be read, then why.
Result<bool> compareTails(const QString& a, const QString& b);

}  // namespace velmira
