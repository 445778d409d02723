// Saves the configuration file over and over, for the kill test.
//   save_loop reference A|B FILE   writes the image the loop saves
//   save_loop save CARD            saves A and B in turn until killed (SIGTERM: between saves)
//   save_loop start CARD           what the program does at start
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "settings/settings_file.h"

using namespace velmira;

namespace {

// Two images that differ in every record.
SettingsImage image(char which) {
    SettingsImage i;
    for (int n = 0; n < kRecordCount; ++n) {
        i.records[n].maxV = {1, {}, which == 'A' ? 1111 * n : -2222 * n, n, which};
        i.records[n].vring = {which == 'A', {}, n, -n, 0};
    }
    return i;
}

volatile std::sig_atomic_t stopped = 0;

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "reference") == 0) {
        const SettingsImage::Bytes bytes = image(argv[2][0]).toBytes();
        std::ofstream(argv[3], std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "save") == 0) {
        const CardFiles card(QString::fromLocal8Bit(argv[2]));
        std::signal(SIGTERM, [](int) { stopped = 1; });
        // Beside another writer on a busy machine a save may wait longer than
        // the screens do; giving up is not what this loop looks for.
        const std::chrono::seconds patience(30);
        for (unsigned n = 0; !stopped; ++n) {
            const SettingsImage next = image(n % 2 ? 'B' : 'A');
            const SaveResult saved = saveSettings(next, card, kDefaultBackups, patience);
            if (!saved.ok()) {
                std::fprintf(stderr, "save_loop: %s\n", saved.error().c_str());
                return 1;
            }
        }
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "start") == 0) {
        removeSaveLeftovers(CardFiles(QString::fromLocal8Bit(argv[2])));
        return 0;
    }
    std::fprintf(stderr, "usage: save_loop reference A|B FILE | save CARD | start CARD\n");
    return 2;
}
