#pragma once

#include <QStringList>
#include <QTextStream>

namespace velmira {

// The exit statuses of velmira-config.
inline constexpr int kToolOk = 0;
inline constexpr int kToolFound = 1;  // diff found differences, check found problems
inline constexpr int kToolError = 2;  // bad arguments, or a file that could not be used
// set, new or restore changed the file, but their output could not be written.
inline constexpr int kToolChangedUnreported = 3;

// Runs velmira-config with its arguments (without the program name): the
// output goes to `out`, the one message of an error to `err`. Returns the
// exit status.
int runConfigTool(const QStringList& args, QTextStream& out, QTextStream& err);

}  // namespace velmira
