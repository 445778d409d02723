// A shared library that exports the whole motion and backplane interface and
// records every call, for tests that load it through the bridge.
// VELMIRA_TESTLIB_LOG    file each call is appended to, one "name(args)" per line
// VELMIRA_TESTLIB_SCRIPT file of results, one per line: "name(args) result" for one
//                        exact call, or "name result" for every call of a function;
//                        anything unscripted returns 0
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "hw/motion_ops.h"
#include "velmira/motion_abi.h"

namespace {

// Read at every call, so a test can change the answers between calls.
std::map<std::string, long long> scriptedResults() {
    std::map<std::string, long long> results;
    if (const char* path = std::getenv("VELMIRA_TESTLIB_SCRIPT")) {
        std::ifstream in(path);
        std::string key;
        long long value = 0;
        while (in >> key >> value) results[key] = value;
    }
    return results;
}

template <class... T>
long long record(const char* name, T... args) {
    std::ostringstream call;
    call << name << '(';
    const char* sep = "";
    ((call << sep << static_cast<long long>(args), sep = ","), ...);
    call << ')';
    const std::string text = call.str();
    if (const char* path = std::getenv("VELMIRA_TESTLIB_LOG")) {
        if (std::FILE* f = std::fopen(path, "a")) {
            std::fprintf(f, "%s\n", text.c_str());
            std::fclose(f);
        }
    }
    const auto results = scriptedResults();
    if (auto it = results.find(text); it != results.end()) return it->second;
    if (auto it = results.find(name); it != results.end()) return it->second;
    return 0;
}

}  // namespace

// Parameter lists p0..pN for the types of the operation table.
#define VT_COUNT(...) VT_COUNT_(__VA_ARGS__, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1)
#define VT_COUNT_(a, b, c, d, e, f, g, h, i, j, n, ...) n
#define VT_CAT(a, b) VT_CAT_(a, b)
#define VT_CAT_(a, b) a##b
#define VT_P1(a) a p0
#define VT_P2(a, b) VT_P1(a), b p1
#define VT_P3(a, b, c) VT_P2(a, b), c p2
#define VT_P4(a, b, c, d) VT_P3(a, b, c), d p3
#define VT_P5(a, b, c, d, e) VT_P4(a, b, c, d), e p4
#define VT_P6(a, b, c, d, e, f) VT_P5(a, b, c, d, e), f p5
#define VT_P7(a, b, c, d, e, f, g) VT_P6(a, b, c, d, e, f), g p6
#define VT_P10(a, b, c, d, e, f, g, h, i, j) VT_P7(a, b, c, d, e, f, g), h p7, i p8, j p9
#define VT_A1 p0
#define VT_A2 VT_A1, p1
#define VT_A3 VT_A2, p2
#define VT_A4 VT_A3, p3
#define VT_A5 VT_A4, p4
#define VT_A6 VT_A5, p5
#define VT_A7 VT_A6, p6
#define VT_A10 VT_A7, p7, p8, p9
#define VT_PARAMS(...) VT_CAT(VT_P, VT_COUNT(__VA_ARGS__))(__VA_ARGS__)
#define VT_ARGS(...) VT_CAT(VT_A, VT_COUNT(__VA_ARGS__))

#define VT_DEFINE(fn, ret, ...)                                                        \
    extern "C" __attribute__((visibility("default"))) ret fn(VT_PARAMS(__VA_ARGS__)) { \
        return static_cast<ret>(record(#fn, VT_ARGS(__VA_ARGS__)));                    \
    }
#define VT_Both(name, ret, ...)                  \
    VT_DEFINE(lorvexMF_##name, ret, __VA_ARGS__) \
    VT_DEFINE(quenbyMF_##name, ret, __VA_ARGS__)
#define VT_FourAxis(name, ret, ...) VT_DEFINE(lorvexMF_##name, ret, __VA_ARGS__)
#define VT_TwoAxis(name, ret, ...) VT_DEFINE(quenbyMF_##name, ret, __VA_ARGS__)
#define VT_OP(name, scope, ret, ...) VT_##scope(name, ret, __VA_ARGS__)

VELMIRA_MOTION_OPS(VT_OP)
VT_DEFINE(GetSlotAddr, uint32_t, uint8_t)
VT_DEFINE(IoReadByte, uint32_t, uint32_t)
