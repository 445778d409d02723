#pragma once

#include <string>

namespace velmira {

// Checks a platform name as Qt takes it (NAME, NAME:options, or several such
// separated by ';') against the platform plugins installed, before Qt is
// asked to load one: Qt ends the process when none of them is there. Returns
// the message for a name no installed plugin answers to, empty otherwise
// (also when no plugin folder is found, so that Qt decides as it would).
std::string platformPluginProblem(const std::string& platform);

}  // namespace velmira
