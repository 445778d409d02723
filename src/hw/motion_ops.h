#pragma once

#include <stdint.h>

#include <cstdint>
#include <iterator>
#include <string_view>

namespace velmira {

// Which modules' library exports an operation.
enum class OpScope : std::uint8_t { Both, FourAxis, TwoAxis };

// Every motion-library operation with its C result and argument types, in the
// order the program's interface lists them. The names are the C names without
// the kind's prefix. Card is always the first argument (uint8_t); axis
// arguments are uint16_t.
#define VELMIRA_MOTION_OPS(X)                                                                      \
    X(REGISTRATION, Both, uint8_t, uint8_t, uint8_t)                                               \
    X(SET_PULSE_MODE, Both, int32_t, uint8_t, uint16_t, uint8_t)                                   \
    X(LIMITSTOP_MODE, Both, int32_t, uint8_t, uint16_t, uint8_t)                                   \
    X(SET_NHOME, Both, int32_t, uint8_t, uint16_t, uint8_t)                                        \
    X(SET_HOME_EDGE, Both, int32_t, uint8_t, uint16_t, uint8_t)                                    \
    X(SET_HLMT, Both, int32_t, uint8_t, uint16_t, uint8_t, uint8_t)                                \
    X(SET_ALARM, Both, int32_t, uint8_t, uint16_t, uint8_t, uint8_t)                               \
    X(SET_INPOS, Both, int32_t, uint8_t, uint16_t, uint8_t, uint8_t)                               \
    X(SET_ENCODER, Both, int32_t, uint8_t, uint16_t, uint8_t, uint8_t, uint8_t)                    \
    X(SET_FILTER, Both, int32_t, uint8_t, uint16_t, uint16_t, uint16_t)                            \
    X(SET_MAX_V, Both, int32_t, uint8_t, uint16_t, int32_t)                                        \
    X(VRING_ENABLE, Both, int32_t, uint8_t, uint16_t, int32_t)                                     \
    X(VRING_DISABLE, Both, int32_t, uint8_t, uint16_t)                                             \
    X(AVTRI_ENABLE, Both, int32_t, uint8_t, uint16_t)                                              \
    X(AVTRI_DISABLE, Both, int32_t, uint8_t, uint16_t)                                             \
    X(CLEAR_SLMT, Both, int32_t, uint8_t, uint16_t)                                                \
    X(SERVO_ON, Both, int32_t, uint8_t, uint16_t)                                                  \
    X(SERVO_OFF, Both, int32_t, uint8_t, uint16_t)                                                 \
    X(SET_SLMT, Both, int32_t, uint8_t, uint16_t, int32_t, int32_t, uint8_t)                       \
    X(SET_V, Both, int32_t, uint8_t, uint16_t, int32_t)                                            \
    X(SET_A, Both, int32_t, uint8_t, uint16_t, int32_t)                                            \
    X(SET_D, Both, int32_t, uint8_t, uint16_t, int32_t)                                            \
    X(SET_K, Both, int32_t, uint8_t, uint16_t, int32_t)                                            \
    X(SET_SV, Both, int32_t, uint8_t, uint16_t, int32_t)                                           \
    X(SET_LP, Both, int32_t, uint8_t, uint16_t, int32_t)                                           \
    X(SET_EP, Both, int32_t, uint8_t, uint16_t, int32_t)                                           \
    X(FIXED_MOVE, Both, int32_t, uint8_t, uint16_t, int32_t)                                       \
    X(CONTINUE_MOVE, Both, int32_t, uint8_t, uint16_t, int32_t)                                    \
    X(EXD_MP, Both, int32_t, uint8_t, uint16_t, int32_t)                                           \
    X(SET_AO, Both, int32_t, uint8_t, uint16_t, int16_t)                                           \
    X(NORMAL_SPEED, Both, int32_t, uint8_t, uint16_t, uint8_t)                                     \
    X(EXD_DISABLE, Both, int32_t, uint8_t, uint16_t)                                               \
    X(STOP_SLOWLY, Both, int32_t, uint8_t, uint16_t)                                               \
    X(CLEAR_STOP, Both, int32_t, uint8_t)                                                          \
    X(SET_L, FourAxis, int32_t, uint8_t, uint16_t, int32_t)                                        \
    X(SET_HV, FourAxis, int32_t, uint8_t, uint16_t, int32_t)                                       \
    X(SET_HOME_MODE, FourAxis, int32_t, uint8_t, uint16_t, uint16_t, uint16_t, uint16_t, uint16_t, \
      int32_t)                                                                                     \
    X(HOME_START, FourAxis, int32_t, uint8_t, uint16_t)                                            \
    X(HOME_WAIT, FourAxis, uint8_t, uint8_t, uint16_t)                                             \
    X(AXIS_ASSIGN, FourAxis, int32_t, uint8_t, uint16_t, uint16_t, uint16_t)                       \
    X(VECTOR_SPEED, FourAxis, int32_t, uint8_t, uint8_t)                                           \
    X(SET_VSV, FourAxis, int32_t, uint8_t, int32_t)                                                \
    X(SET_VV, FourAxis, int32_t, uint8_t, int32_t)                                                 \
    X(SET_VA, FourAxis, int32_t, uint8_t, int32_t)                                                 \
    X(SET_VD, FourAxis, int32_t, uint8_t, int32_t)                                                 \
    X(SET_VK, FourAxis, int32_t, uint8_t, int32_t)                                                 \
    X(SET_VL, FourAxis, int32_t, uint8_t, int32_t)                                                 \
    X(SET_VAO, FourAxis, int32_t, uint8_t, int16_t)                                                \
    X(LINE_2D, FourAxis, int32_t, uint8_t, int32_t, int32_t)                                       \
    X(LINE_3D, FourAxis, int32_t, uint8_t, int32_t, int32_t, int32_t)                              \
    X(ARC_CW, FourAxis, int32_t, uint8_t, int32_t, int32_t, int32_t, int32_t)                      \
    X(ARC_CCW, FourAxis, int32_t, uint8_t, int32_t, int32_t, int32_t, int32_t)                     \
    X(CIRCLE_CW, FourAxis, int32_t, uint8_t, int32_t, int32_t)                                     \
    X(CIRCLE_CCW, FourAxis, int32_t, uint8_t, int32_t, int32_t)                                    \
    X(AUTO_HOME, TwoAxis, int32_t, uint8_t, uint16_t, uint16_t, uint16_t, uint16_t, uint16_t,      \
      int32_t, int32_t, int32_t, int32_t)                                                          \
    X(GET_LP, Both, int32_t, uint8_t, uint16_t)                                                    \
    X(GET_EP, Both, int32_t, uint8_t, uint16_t)                                                    \
    X(GET_CV, Both, int32_t, uint8_t, uint16_t)                                                    \
    X(GET_ERROR_CODE, Both, uint32_t, uint8_t, uint16_t)                                           \
    X(GET_DI, Both, int32_t, uint8_t, uint16_t, uint8_t)

enum class MotionOp : std::uint8_t {
#define VELMIRA_OP_ENUM(name, ...) name,
    VELMIRA_MOTION_OPS(VELMIRA_OP_ENUM)
#undef VELMIRA_OP_ENUM
};

template <class... Args>
inline constexpr int kArgCount = sizeof...(Args);

struct MotionOpInfo {
    std::string_view name;
    OpScope scope;
    int arity;
};

inline constexpr MotionOpInfo kMotionOps[] = {
#define VELMIRA_OP_INFO(name, scope, ret, ...) {#name, OpScope::scope, kArgCount<__VA_ARGS__>},
    VELMIRA_MOTION_OPS(VELMIRA_OP_INFO)
#undef VELMIRA_OP_INFO
};

inline constexpr int kMotionOpCount = static_cast<int>(std::size(kMotionOps));

constexpr const MotionOpInfo& opInfo(MotionOp op) {
    return kMotionOps[static_cast<int>(op)];
}

// Whether the library of a module kind exports the operation.
constexpr bool exportedBy(MotionOp op, bool fourAxis) {
    const OpScope s = opInfo(op).scope;
    return s == OpScope::Both || (s == OpScope::FourAxis) == fourAxis;
}

}  // namespace velmira
