// velmira-config: the configuration file tool.
#include <QFile>
#include <QStringList>
#include <QTextStream>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "platform/printable.h"
#include "tool/config_tool.h"

int main(int argc, char** argv) {
    // A file-size limit is a full card: writes fail and say so.
    std::signal(SIGXFSZ, SIG_IGN);
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        // Decoding would replace such bytes, and the file reached would be another.
        if (!velmira::isUtf8(argv[i])) {
            std::fprintf(stderr,
                         "velmira-config: %s is not valid UTF-8, which every argument must be\n",
                         velmira::quotedForMessage(argv[i]).c_str());
            return velmira::kToolError;
        }
        args << QFile::decodeName(argv[i]);
    }
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int status = velmira::runConfigTool(args, out, err);
    // Output that never arrived (a full disk, a closed pipe) is no success.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        // A verb that changed the file has said so, and its status says it.
        if (status == velmira::kToolChangedUnreported) return status;
        std::fprintf(stderr, "velmira-config: the output could not be written: %s\n",
                     std::strerror(errno));
        return velmira::kToolError;
    }
    return status;
}
