#pragma once

#include <cstddef>
#include <optional>

#include "platform/dialog.h"

namespace velmira {

// One button of a radio group and the value it stands for. A screen keeps
// one table per group; the value is what its state block holds.
template <class E>
struct Radio {
    E value;
    int id;
};

// Checks the value's button; the group lets go of the others.
template <class E, std::size_t N>
void showRadio(Dialog& screen, const Radio<E> (&group)[N], E value) {
    for (const Radio<E>& r : group) {
        if (r.value == value) screen.check(r.id);
    }
}

// The value of the checked button; none while nothing in the group is checked.
template <class E, std::size_t N>
std::optional<E> checkedRadio(const Dialog& screen, const Radio<E> (&group)[N]) {
    for (const Radio<E>& r : group) {
        if (screen.isChecked(r.id)) return r.value;
    }
    return std::nullopt;
}

// A click on any of the group's buttons passes its value to the handler.
template <class E, std::size_t N, class Handler>
void onRadio(Dialog& screen, const Radio<E> (&group)[N], Handler handler) {
    for (const Radio<E>& r : group) screen.onClick(r.id, [handler, v = r.value] { handler(v); });
}

}  // namespace velmira
