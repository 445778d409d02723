#include "advanced/interpolation_sequence.h"

#include "hw/direction.h"
#include "hw/echo.h"

namespace velmira {
namespace {

// One call of a vector profile group.
enum class Setting { VSV, VA, VD, VK, VL, VAO };

struct ProfileGroup {
    int vectorMode = -1;  // -1: an empty group, no VECTOR_SPEED either
    std::vector<Setting> settings;
};

ProfileGroup linearGroup(bool threeAxes, VectorProfile profile, Symmetry symmetry) {
    using enum Setting;
    const bool sym = symmetry == Symmetry::Sym;
    const bool asym = symmetry == Symmetry::Asym;
    if (profile == VectorProfile::Const) {
        return threeAxes ? ProfileGroup{7, {VSV}} : ProfileGroup{0, {}};
    }
    if (profile == VectorProfile::TCurve) {
        if (sym) return threeAxes ? ProfileGroup{8, {VSV, VA, VAO}} : ProfileGroup{1, {VSV, VA}};
        if (asym) return {threeAxes ? 10 : 3, {VSV, VA, VD, VAO}};
    }
    if (profile == VectorProfile::SCurve) {
        if (sym) return {threeAxes ? 9 : 2, {VSV, VK, VAO}};
        if (asym) return {threeAxes ? 11 : 4, {VSV, VK, VL, VAO}};
    }
    return {};
}

// The group of a run, as its mode, profile and symmetry choose it; the
// symmetry, not the profile, chooses between an arc and a full circle.
ProfileGroup groupOf(const InterpolationRequest& r) {
    using enum Setting;
    switch (r.mode) {
        case PathMode::Linear2D:
        case PathMode::Linear3D:
            return linearGroup(r.mode == PathMode::Linear3D, r.profile, r.symmetry);
        case PathMode::Circular:
            if (r.symmetry == Symmetry::Sym) return {5, {VSV, VA, VAO}};
            if (r.symmetry == Symmetry::Asym) return {6, {VSV, VA, VD, VAO}};
            return {};
        case PathMode::None:
            break;
    }
    return {};
}

std::int32_t PathValues::*valueOf(Setting s) {
    switch (s) {
        case Setting::VSV:
            return &PathValues::vsv;
        case Setting::VA:
            return &PathValues::va;
        case Setting::VD:
            return &PathValues::vd;
        case Setting::VK:
            return &PathValues::vk;
        case Setting::VL:
            return &PathValues::vl;
        case Setting::VAO:
            return &PathValues::vao;
    }
    return &PathValues::vsv;
}

class Runner {
  public:
    Runner(MotionLibrary& lib, std::uint8_t card, InterpolationRun& out)
        : lib_(lib), card_(card), out_(out) {}

    void row(const std::string& text) { out_.rows.push_back(text); }

    template <class... Args>
    std::string text(const char* format, Args... args) const {
        return echoText(ModuleKind::Lorvex, format, static_cast<unsigned>(card_), args...);
    }

    void group(const ProfileGroup& g, const PathValues& v) {
        if (g.vectorMode < 0) return;
        lib_.VECTOR_SPEED(card_, g.vectorMode);
        for (Setting s : g.settings) call(s, v);
        // Only the card is formatted into the mode's row.
        const std::string mode = "lorvexMF_VECTOR_SPEED(%u," + std::to_string(g.vectorMode) + ")";
        row(text(mode.c_str()));
        for (Setting s : g.settings) row(settingRow(s, v));
    }

  private:
    void call(Setting s, const PathValues& v) {
        switch (s) {
            case Setting::VSV:
                lib_.SET_VSV(card_, v.vsv);
                break;
            case Setting::VA:
                lib_.SET_VA(card_, v.va);
                break;
            case Setting::VD:
                lib_.SET_VD(card_, v.vd);
                break;
            case Setting::VK:
                lib_.SET_VK(card_, v.vk);
                break;
            case Setting::VL:
                lib_.SET_VL(card_, v.vl);
                break;
            case Setting::VAO:
                lib_.SET_VAO(card_, v.vao);
                break;  // the low 16 bits
        }
    }
    std::string settingRow(Setting s, const PathValues& v) const {
        switch (s) {
            case Setting::VSV:
                return text("lorvexMF_SET_VSV(%u,%i)", int{v.vsv});
            case Setting::VA:
                return text("lorvexMF_SET_VA(%u,%i)", int{v.va});
            case Setting::VD:
                return text("lorvexMF_SET_VD(%u,%i)", int{v.vd});
            case Setting::VK:
                return text("lorvexMF_SET_VK(%u,%i)", int{v.vk});
            case Setting::VL:
                return text("lorvexMF_SET_VL(%u,%i)", int{v.vl});
            case Setting::VAO:
                return text("lorvexMF_SET_VAO(%u,%i)", int{v.vao});  // as read
        }
        return {};
    }

    MotionLibrary& lib_;
    std::uint8_t card_;
    InterpolationRun& out_;
};

}  // namespace

std::vector<std::int32_t PathValues::*> pathValuesUsed(const InterpolationRequest& r) {
    if (dispositionClashes(r.axis1, r.axis2, r.axis3)) return {};
    std::vector<std::int32_t PathValues::*> used{&PathValues::vv};
    for (Setting s : groupOf(r).settings) used.push_back(valueOf(s));
    const bool turns = r.direction != ArcDirection::None;
    switch (r.mode) {
        case PathMode::Linear3D:
            used.push_back(&PathValues::fp3);
            [[fallthrough]];
        case PathMode::Linear2D:
            used.insert(used.end(), {&PathValues::fp1, &PathValues::fp2});
            break;
        case PathMode::Circular:
            if (groupOf(r).vectorMode < 0 || !turns) break;
            used.insert(used.end(), {&PathValues::cp1, &PathValues::cp2});
            if (r.symmetry == Symmetry::Sym) {
                used.insert(used.end(), {&PathValues::fp1, &PathValues::fp2});
            }
            break;
        case PathMode::None:
            break;
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
    Runner run(lib, r.card, out);
    const std::uint8_t card = r.card;
    lib.SET_VV(card, v.vv);
    run.row(run.text("lorvexMF_SET_VV(%u,%i)", int{v.vv}));

    switch (r.mode) {
        case PathMode::Linear2D:
            lib.AXIS_ASSIGN(card, r.axis1, r.axis2, 0);
            run.row(run.text("lorvexMF_AXIS_ASSIGN(%u,%i,%i,0)", int{r.axis1}, int{r.axis2}));
            run.group(groupOf(r), v);
            lib.LINE_2D(card, v.fp1, v.fp2);
            run.row(run.text("lorvexMF_LINE_2D(%u,%i,%i)", int{v.fp1}, int{v.fp2}));
            break;
        case PathMode::Linear3D:
            lib.AXIS_ASSIGN(card, r.axis1, r.axis2, r.axis3);
            run.row(run.text("lorvexMF_AXIS_ASSIGN(%u,%i,%i,%i)", int{r.axis1}, int{r.axis2},
                             int{r.axis3}));
            run.group(groupOf(r), v);
            lib.LINE_3D(card, v.fp1, v.fp2, v.fp3);
            run.row(run.text("lorvexMF_LINE_3D(%u,%i,%i,%i)", int{v.fp1}, int{v.fp2}, int{v.fp3}));
            break;
        case PathMode::Circular: {
            lib.AXIS_ASSIGN(card, r.axis1, r.axis2, 0);
            run.row(run.text("lorvexMF_AXIS_ASSIGN(%u,%i,%i,0)", int{r.axis1}, int{r.axis2}));
            const bool cw = r.direction == ArcDirection::CW;
            const bool ccw = r.direction == ArcDirection::CCW;
            run.group(groupOf(r), v);
            if (r.symmetry == Symmetry::Sym) {
                if (cw || ccw) {
                    if (cw) {
                        lib.ARC_CW(card, v.cp1, v.cp2, v.fp1, v.fp2);
                    } else {
                        lib.ARC_CCW(card, v.cp1, v.cp2, v.fp1, v.fp2);
                    }
                    run.row(run.text(
                        cw ? "lorvexMF_ARC_CW(%u,%i,%i,%i,%i)" : "lorvexMF_ARC_CCW(%u,%i,%i,%i,%i)",
                        int{v.cp1}, int{v.cp2}, int{v.fp1}, int{v.fp2}));
                }
            } else if (r.symmetry == Symmetry::Asym) {
                if (cw || ccw) {
                    if (cw) {
                        lib.CIRCLE_CW(card, v.cp1, v.cp2);
                    } else {
                        lib.CIRCLE_CCW(card, v.cp1, v.cp2);
                    }
                    run.row(run.text(
                        cw ? "lorvexMF_CIRCLE_CW(%u,%i,%i)" : "lorvexMF_CIRCLE_CCW(%u,%i,%i)",
                        int{v.cp1}, int{v.cp2}));
                }
            }
            break;
        }
        case PathMode::None:
            break;
    }
    return out;
}

}  // namespace velmira
