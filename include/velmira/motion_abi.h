/*
 * The C interface Velmira loads its motion and backplane libraries by.
 *
 * A library that drives real modules (or bridges to a fieldbus) exports these
 * functions with exactly these types. The four-axis library exports the common
 * set with the prefix lorvexMF_ plus the four-axis functions; the two-axis
 * library exports the common set with the prefix quenbyMF_ plus AUTO_HOME; the
 * backplane library exports GetSlotAddr and IoReadByte. One library may play
 * all three roles. Results the program does not use are int32_t and ignored.
 * Every call is made from one thread.
 */
#ifndef VELMIRA_MOTION_ABI_H
#define VELMIRA_MOTION_ABI_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define VELMIRA_COMMON_FUNCTIONS(P)                                                                \
    uint8_t P##REGISTRATION(uint8_t card, uint8_t slot); /* 1 = registered */                      \
    int32_t P##SET_PULSE_MODE(uint8_t card, uint16_t axis, uint8_t v);                             \
    int32_t P##LIMITSTOP_MODE(uint8_t card, uint16_t axis, uint8_t v);                             \
    int32_t P##SET_NHOME(uint8_t card, uint16_t axis, uint8_t v);                                  \
    int32_t P##SET_HOME_EDGE(uint8_t card, uint16_t axis, uint8_t v);                              \
    int32_t P##SET_HLMT(uint8_t card, uint16_t axis, uint8_t a, uint8_t b);                        \
    int32_t P##SET_ALARM(uint8_t card, uint16_t axis, uint8_t on, uint8_t logic);                  \
    int32_t P##SET_INPOS(uint8_t card, uint16_t axis, uint8_t on, uint8_t logic);                  \
    int32_t P##SET_ENCODER(uint8_t card, uint16_t axis, uint8_t mode, uint8_t div, uint8_t z);     \
    int32_t P##SET_FILTER(uint8_t card, uint16_t axis, uint16_t mask, uint16_t delay);             \
    int32_t P##SET_MAX_V(uint8_t card, uint16_t axis, int32_t v);                                  \
    int32_t P##VRING_ENABLE(uint8_t card, uint16_t axis, int32_t v);                               \
    int32_t P##VRING_DISABLE(uint8_t card, uint16_t axis);                                         \
    int32_t P##AVTRI_ENABLE(uint8_t card, uint16_t axis);                                          \
    int32_t P##AVTRI_DISABLE(uint8_t card, uint16_t axis);                                         \
    int32_t P##CLEAR_SLMT(uint8_t card, uint16_t axis);                                            \
    int32_t P##SERVO_ON(uint8_t card, uint16_t axis);                                              \
    int32_t P##SERVO_OFF(uint8_t card, uint16_t axis);                                             \
    int32_t P##SET_SLMT(uint8_t card, uint16_t axis, int32_t plus, int32_t minus, uint8_t source); \
    int32_t P##SET_V(uint8_t card, uint16_t axis, int32_t v);                                      \
    int32_t P##SET_A(uint8_t card, uint16_t axis, int32_t v);                                      \
    int32_t P##SET_D(uint8_t card, uint16_t axis, int32_t v);                                      \
    int32_t P##SET_K(uint8_t card, uint16_t axis, int32_t v);                                      \
    int32_t P##SET_SV(uint8_t card, uint16_t axis, int32_t v);                                     \
    int32_t P##SET_LP(uint8_t card, uint16_t axis, int32_t v);                                     \
    int32_t P##SET_EP(uint8_t card, uint16_t axis, int32_t v);                                     \
    int32_t P##FIXED_MOVE(uint8_t card, uint16_t axis, int32_t v);                                 \
    int32_t P##CONTINUE_MOVE(uint8_t card, uint16_t axis, int32_t v);                              \
    int32_t P##EXD_MP(uint8_t card, uint16_t axis, int32_t v);                                     \
    int32_t P##SET_AO(uint8_t card, uint16_t axis, int16_t v);                                     \
    int32_t P##NORMAL_SPEED(uint8_t card, uint16_t axis, uint8_t mode);                            \
    int32_t P##EXD_DISABLE(uint8_t card, uint16_t axis);                                           \
    int32_t P##STOP_SLOWLY(uint8_t card, uint16_t axis);                                           \
    int32_t P##CLEAR_STOP(uint8_t card);                                                           \
    int32_t P##GET_LP(uint8_t card, uint16_t axis);                                                \
    int32_t P##GET_EP(uint8_t card, uint16_t axis);                                                \
    int32_t P##GET_CV(uint8_t card, uint16_t axis);                                                \
    uint32_t P##GET_ERROR_CODE(uint8_t card, uint16_t axis);       /* bits in the low 16 */        \
    int32_t P##GET_DI(uint8_t card, uint16_t axis, uint8_t input); /* 1 = active */

VELMIRA_COMMON_FUNCTIONS(lorvexMF_)
VELMIRA_COMMON_FUNCTIONS(quenbyMF_)

/* four-axis only */
int32_t lorvexMF_SET_L(uint8_t card, uint16_t axis, int32_t v);
int32_t lorvexMF_SET_HV(uint8_t card, uint16_t axis, int32_t v);
int32_t lorvexMF_SET_HOME_MODE(uint8_t card, uint16_t axis, uint16_t nearHome, uint16_t home,
                               uint16_t index, uint16_t offset, int32_t value);
int32_t lorvexMF_HOME_START(uint8_t card, uint16_t axis);
uint8_t lorvexMF_HOME_WAIT(uint8_t card, uint16_t axis); /* non-zero: search ended */
int32_t lorvexMF_AXIS_ASSIGN(uint8_t card, uint16_t a1, uint16_t a2, uint16_t a3);
int32_t lorvexMF_VECTOR_SPEED(uint8_t card, uint8_t mode);
int32_t lorvexMF_SET_VSV(uint8_t card, int32_t v);
int32_t lorvexMF_SET_VV(uint8_t card, int32_t v);
int32_t lorvexMF_SET_VA(uint8_t card, int32_t v);
int32_t lorvexMF_SET_VD(uint8_t card, int32_t v);
int32_t lorvexMF_SET_VK(uint8_t card, int32_t v);
int32_t lorvexMF_SET_VL(uint8_t card, int32_t v);
int32_t lorvexMF_SET_VAO(uint8_t card, int16_t v);
int32_t lorvexMF_LINE_2D(uint8_t card, int32_t fp1, int32_t fp2);
int32_t lorvexMF_LINE_3D(uint8_t card, int32_t fp1, int32_t fp2, int32_t fp3);
int32_t lorvexMF_ARC_CW(uint8_t card, int32_t cp1, int32_t cp2, int32_t fp1, int32_t fp2);
int32_t lorvexMF_ARC_CCW(uint8_t card, int32_t cp1, int32_t cp2, int32_t fp1, int32_t fp2);
int32_t lorvexMF_CIRCLE_CW(uint8_t card, int32_t cp1, int32_t cp2);
int32_t lorvexMF_CIRCLE_CCW(uint8_t card, int32_t cp1, int32_t cp2);

/* two-axis only */
int32_t quenbyMF_AUTO_HOME(uint8_t card, uint16_t axis, uint16_t nearHome, uint16_t home,
                           uint16_t index, uint16_t offset, int32_t v1, int32_t v2, int32_t hv,
                           int32_t v3);

/* backplane */
uint32_t GetSlotAddr(uint8_t slot);
uint32_t IoReadByte(uint32_t address); /* the low 8 bits are the byte */

#ifdef __cplusplus
}
#endif

#endif
