#pragma once

#include <QByteArray>
#include <QFile>
#include <QStringList>
#include <QTextStream>
#include <string>

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

inline QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

}  // namespace velmira::test
