#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "hw/motion_library.h"

namespace velmira {

// Forwards every call to the library it wraps and appends the call's row,
// rendered by the one echo formatter, to `rows`: a call through it and the
// row the command list shows are one statement,
//   EchoingMotionLibrary echo(*lib, rows);
//   echo.SET_V(card, axis, v);   // lib->SET_V(card, axis, v), row "lorvexMF_SET_V(1,2,20000)"
// The row shows the arguments as the call passes them (narrowed to their C
// types), with the wrapped library's prefix. A call that has no row is made on
// the wrapped library itself. The two ways a row may differ from its call are
// asked for at the call, for that call only: showingTyped() and rowOnly().
class EchoingMotionLibrary final : public MotionLibrary {
  public:
    EchoingMotionLibrary(MotionLibrary& inner, std::vector<std::string>& rows)
        : MotionLibrary(inner.kind()), inner_(inner), rows_(rows) {}

    // Also hands each row to `written` the moment it is appended, for a screen
    // that shows the rows while the calls are being made.
    void onRow(std::function<void(const std::string&)> written) { written_ = std::move(written); }

    // The next call's row shows `typed` as its argument `index` (0 is the
    // card), where the call passes that number narrowed to its C type: an
    // offset pulse as the user typed it, while the module gets its low 16 bits.
    EchoingMotionLibrary& showingTyped(std::size_t index, std::int64_t typed) {
        typed_ = {index, typed};
        return *this;
    }

    // The next call only appends its row and is not made: for a call that
    // has to be made elsewhere, after its row is shown (a call that returns
    // only when a home search has ended). Make it with the same arguments on
    // the wrapped library, ideally through the same function.
    EchoingMotionLibrary& rowOnly() {
        rowOnly_ = true;
        return *this;
    }

    std::int64_t dispatch(MotionOp op, std::span<const std::int64_t> args) override;

  private:
    MotionLibrary& inner_;
    std::vector<std::string>& rows_;
    std::function<void(const std::string&)> written_;
    std::optional<std::pair<std::size_t, std::int64_t>> typed_;
    bool rowOnly_ = false;
};

}  // namespace velmira
