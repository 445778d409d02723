#pragma once

#include <string>

namespace velmira {

// Checks a platform name as Qt takes it (NAME, NAME:options, or several such
// separated by ';') against the platform plugins installed, before Qt is
// asked to load one: Qt ends the process when none of them is there. Returns
// the message for a name no installed plugin answers to, or for a platform
// that serves the screen on the network with no password (vnc), which is
// refused whether installed or not; empty otherwise (also when no plugin
// folder is found, so that Qt decides as it would).
std::string platformPluginProblem(const std::string& platform);

// The same for the generic plugins of QT_QPA_GENERIC_PLUGINS (NAME[:options]
// separated by ','): one that takes input from the network (tuiotouch) is
// refused, since anyone there could press the program's buttons.
std::string genericPluginProblem(const std::string& plugins);

// While it lives, a platform that Qt cannot start (no X server, no DRM
// device) ends the program with one line and status 2 where Qt would abort;
// Qt's other messages of that time are held back and passed on at its end.
// `platform` names what was asked for, empty for Qt's own choice.
class PlatformStart {
  public:
    explicit PlatformStart(const std::string& platform);
    ~PlatformStart();
    PlatformStart(const PlatformStart&) = delete;
    PlatformStart& operator=(const PlatformStart&) = delete;
};

}  // namespace velmira
