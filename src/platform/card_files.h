#pragma once

#include <QString>
#include <optional>
#include <string_view>

#include "platform/result.h"

namespace velmira {

// Maps the controller's flash-card paths ("\CompactFlash\...") onto a host folder
// that stands for "\CompactFlash".
class CardFiles {
  public:
    explicit CardFiles(QString root) : root_(std::move(root)) {}

    const QString& root() const { return root_; }

    // The host path of a controller path, or nothing for a path that is not on
    // the card or that would climb out of it.
    std::optional<QString> hostPath(std::string_view controllerPath) const;

    struct LinkEnd {
        QString path;   // the file a host path finally names; empty when not found
        int error = 0;  // kOffTheCard; ENOENT with no card; ELOOP for links in a circle
    };
    // Follows the symbolic links of a host path on the card, so that no save
    // or load reaches a file elsewhere.
    LinkEnd followLinks(const QString& hostPath) const;

    // Per-user data folder used when no --card is given.
    static QString defaultRoot();
    // Creates the card folder with "Pelmoran" in it, so the default set-up can save.
    static Result<> prepare(const QString& root);

    // Writes a new file named `name` into the card's Pelmoran folder (made when
    // missing; the card itself never is) in one step: the file is there whole
    // or not at all. A name already taken gets "-2", "-3", ... before its
    // extension, so nothing on the card is replaced. Returns the host path
    // written; a failure says why ("the card is full", "no such file or folder" with no card, ...).
    Result<QString> writeNewFile(const QString& name, const QByteArray& bytes) const;

  private:
    QString root_;
};

}  // namespace velmira
