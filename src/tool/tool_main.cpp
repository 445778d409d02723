// velmira-config: the configuration file tool.
#include <QFile>
#include <QStringList>
#include <QTextStream>
#include <csignal>
#include <cstdio>

#include "tool/config_tool.h"

int main(int argc, char** argv) {
    // A file-size limit is a full card: writes fail and say so.
    std::signal(SIGXFSZ, SIG_IGN);
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QFile::decodeName(argv[i]);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return velmira::runConfigTool(args, out, err);
}
