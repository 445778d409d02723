#pragma once

#include <QStringList>
#include <QTextStream>
#include <string>

#include "support/small_card.h"
#include "tool/config_tool.h"

namespace velmira::test {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

// velmira-config in process, as a shell would run it.
inline ToolRun runTool(const QStringList& args) {
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    ToolRun r;
    r.status = runConfigTool(args, outStream, errStream);
    r.out = out.toStdString();
    r.err = err.toStdString();
    return r;
}

}  // namespace velmira::test
