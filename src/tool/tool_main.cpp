// velmira-config: the configuration file tool.
#include <QFile>
#include <QStringList>
#include <QTextStream>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "tool/config_tool.h"

int main(int argc, char** argv) {
    // A file-size limit is a full card: writes fail and say so.
    std::signal(SIGXFSZ, SIG_IGN);
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QFile::decodeName(argv[i]);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int status = velmira::runConfigTool(args, out, err);
    // Output that never arrived (a full disk, a closed pipe) is no success.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "velmira-config: the output could not be written: %s\n",
                     std::strerror(errno));
        return velmira::kToolError;
    }
    return status;
}
