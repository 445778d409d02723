#include "advanced/interpolation_sequence.h"

#include "hw/direction.h"
#include "hw/echoing_library.h"

namespace velmira {
namespace {

// One call of a vector profile group, and the value it passes.
enum class Setting { VSV, VA, VD, VK, VL, VAO };
constexpr std::int32_t PathValues::*kValueOf[] = {&PathValues::vsv, &PathValues::va,
                                                  &PathValues::vd,  &PathValues::vk,
                                                  &PathValues::vl,  &PathValues::vao};

struct ProfileGroup {
    int vectorMode = -1;  // -1: an empty group, no VECTOR_SPEED either
    std::vector<Setting> settings;
};

ProfileGroup linearGroup(bool threeAxes, std::optional<Profile> profile,
                         std::optional<Symmetry> symmetry) {
    using enum Setting;
    const bool sym = symmetry == Symmetry::Symmetric;
    const bool asym = symmetry == Symmetry::Asymmetric;
    if (profile == Profile::Constant) {
        return threeAxes ? ProfileGroup{7, {VSV}} : ProfileGroup{0, {}};
    }
    if (profile == Profile::TCurve) {
        if (sym) return threeAxes ? ProfileGroup{8, {VSV, VA, VAO}} : ProfileGroup{1, {VSV, VA}};
        if (asym) return {threeAxes ? 10 : 3, {VSV, VA, VD, VAO}};
    }
    if (profile == Profile::SCurve) {
        if (sym) return {threeAxes ? 9 : 2, {VSV, VK, VAO}};
        if (asym) return {threeAxes ? 11 : 4, {VSV, VK, VL, VAO}};
    }
    return {};
}

// The group of a run, as its mode, profile and symmetry choose it; the
// symmetry, not the profile, chooses between an arc and a full circle.
ProfileGroup groupOf(const InterpolationRequest& r) {
    using enum Setting;
    if (r.mode == PathMode::Circular) {
        if (r.symmetry == Symmetry::Symmetric) return {5, {VSV, VA, VAO}};
        if (r.symmetry == Symmetry::Asymmetric) return {6, {VSV, VA, VD, VAO}};
        return {};
    }
    if (!r.mode) return {};
    return linearGroup(r.mode == PathMode::Linear3D, r.profile, r.symmetry);
}

void set(EchoingMotionLibrary& echo, std::uint8_t card, Setting s, const PathValues& v) {
    switch (s) {
        case Setting::VSV:
            echo.SET_VSV(card, v.vsv);
            break;
        case Setting::VA:
            echo.SET_VA(card, v.va);
            break;
        case Setting::VD:
            echo.SET_VD(card, v.vd);
            break;
        case Setting::VK:
            echo.SET_VK(card, v.vk);
            break;
        case Setting::VL:
            echo.SET_VL(card, v.vl);
            break;
        case Setting::VAO:
            echo.showingTyped(1, v.vao).SET_VAO(card, v.vao);  // the module gets the low 16 bits
            break;
    }
}

}  // namespace

std::vector<std::int32_t PathValues::*> pathValuesUsed(const InterpolationRequest& r) {
    if (dispositionClashes(r.axis1, r.axis2, r.axis3)) return {};
    const ProfileGroup group = groupOf(r);
    std::vector<std::int32_t PathValues::*> used{&PathValues::vv};
    for (Setting s : group.settings) used.push_back(kValueOf[static_cast<int>(s)]);
    if (r.mode == PathMode::Linear3D) used.push_back(&PathValues::fp3);
    if (r.mode == PathMode::Linear2D || r.mode == PathMode::Linear3D) {
        used.insert(used.end(), {&PathValues::fp1, &PathValues::fp2});
    } else if (r.mode == PathMode::Circular && group.vectorMode >= 0 && r.direction) {
        used.insert(used.end(), {&PathValues::cp1, &PathValues::cp2});
        if (r.symmetry == Symmetry::Symmetric) {
            used.insert(used.end(), {&PathValues::fp1, &PathValues::fp2});
        }
    }
    return used;
}

PathValues valuesPassed(const InterpolationRequest& r) {
    PathValues v = r.values;
    if (!r.forward) {
        for (std::int32_t* p : {&v.fp1, &v.fp2, &v.fp3, &v.cp1, &v.cp2}) *p = reversed(*p);
    }
    return v;
}

InterpolationRun RunInterpolation(MotionLibrary& lib, const InterpolationRequest& r) {
    InterpolationRun out;
    if (dispositionClashes(r.axis1, r.axis2, r.axis3)) {
        out.refused = true;
        return out;
    }
    const PathValues v = valuesPassed(r);
    EchoingMotionLibrary echo(lib, out.rows);
    const std::uint8_t card = r.card;
    echo.SET_VV(card, v.vv);
    if (!r.mode) return out;

    const bool threeAxes = r.mode == PathMode::Linear3D;
    echo.AXIS_ASSIGN(card, r.axis1, r.axis2, threeAxes ? r.axis3 : 0);
    const ProfileGroup group = groupOf(r);
    if (group.vectorMode >= 0) {
        echo.VECTOR_SPEED(card, group.vectorMode);
        for (Setting s : group.settings) set(echo, card, s, v);
    }
    const bool cw = r.direction == ArcDirection::CW;
    switch (*r.mode) {
        case PathMode::Linear2D:
            echo.LINE_2D(card, v.fp1, v.fp2);
            break;
        case PathMode::Linear3D:
            echo.LINE_3D(card, v.fp1, v.fp2, v.fp3);
            break;
        case PathMode::Circular:
            if (!r.direction) break;
            if (r.symmetry == Symmetry::Symmetric && cw) {
                echo.ARC_CW(card, v.cp1, v.cp2, v.fp1, v.fp2);
            } else if (r.symmetry == Symmetry::Symmetric) {
                echo.ARC_CCW(card, v.cp1, v.cp2, v.fp1, v.fp2);
            } else if (r.symmetry == Symmetry::Asymmetric && cw) {
                echo.CIRCLE_CW(card, v.cp1, v.cp2);
            } else if (r.symmetry == Symmetry::Asymmetric) {
                echo.CIRCLE_CCW(card, v.cp1, v.cp2);
            }
            break;
    }
    return out;
}

}  // namespace velmira
