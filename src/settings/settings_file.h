#pragma once

#include <optional>
#include <string>

#include "hw/motion_library.h"
#include "platform/card_files.h"
#include "platform/message_boxes.h"
#include "settings/settings_backups.h"
#include "settings/settings_image.h"

namespace velmira {

inline constexpr char kConfigFolder[] = "\\CompactFlash\\Pelmoran\\Orvo";
inline constexpr char kConfigFile[] = "\\CompactFlash\\Pelmoran\\Orvo\\lorvex_Config.ini";
inline constexpr char kWriteFailedText[] = "Can not write the Configuration INI File";
inline constexpr char kOpenFailedText[] = "Can not open the Configuration INI File";

struct SaveResult {
    int status = 0;             // 0, or -1 after the failure box
    std::string backupSkipped;  // why the previous file has no backup, when it has none
};

// Writes the whole image. The file is replaced in one step (a temporary file
// beside it, flushed, then renamed over it), so it is never torn; bytes after
// the image in a longer existing file are kept, and the previous file is kept
// as one of `backups` backups beside it.
SaveResult saveSettings(const SettingsImage& image, const CardFiles& card, MessageBoxes& boxes,
                        int backups = kDefaultBackups);

// The line that tells the user a save went without its backup.
std::string backupSkippedText(const std::string& reason);

struct ImageWrite {
    std::optional<std::string> failed;  // why nothing was written
    std::string backupSkipped;
};

// The save itself, on any host path: what the program and the file tool share.
ImageWrite writeImageFile(const SettingsImage& image, const QString& target, int backups);

// Removes what saves interrupted by a crash or a kill left beside the file
// (the program does so at start and before every save).
void removeSaveLeftovers(const CardFiles& card);

// Reads the file into the image (a short file replaces only what it holds) and
// applies the records of the card to the module of the given kind. Returns 0,
// or -1 after the failure box, with the image unchanged and nothing applied.
int loadAndApplySettings(SettingsImage& image, std::uint8_t card, ModuleKind kind,
                         const Hardware& hw, const CardFiles& files, MessageBoxes& boxes);

// Sends one card's stored settings to its module: one round per axis.
void applyCardSettings(const SettingsImage& image, std::uint8_t card, ModuleKind kind,
                       const Hardware& hw);

}  // namespace velmira
