#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "hw/motion_library.h"

namespace velmira {

// One library call as it reached a library: its C name, the arguments in their
// C widths and the result it gave.
struct Call {
    std::string function;
    std::vector<std::int64_t> args;
    std::int64_t result = 0;

    // "lorvexMF_SET_V(1,2,20000)"
    std::string text() const;
};

// Records the calls of any number of libraries in one order, and answers them with a
// function's scripted result or a responder's (by arguments); unscripted calls give 0.
class CallLog {
  public:
    using Responder = std::function<std::int64_t(const Call&)>;

    std::int64_t record(std::string function, std::vector<std::int64_t> args);

    void setResult(const std::string& function, std::int64_t result) {
        results_[function] = result;
    }
    void setResponder(const std::string& function, Responder r) {
        responders_[function] = std::move(r);
    }

    const std::vector<Call>& calls() const { return calls_; }
    // The texts of all calls, or of those whose function matches the filter.
    std::vector<std::string> texts() const;
    std::vector<std::string> textsOf(const std::string& function) const;
    void clear() { calls_.clear(); }

  private:
    std::vector<Call> calls_;
    std::map<std::string, std::int64_t> results_;
    std::map<std::string, Responder> responders_;
};

class RecordingMotionLibrary final : public MotionLibrary {
  public:
    RecordingMotionLibrary(ModuleKind kind, CallLog& log) : MotionLibrary(kind), log_(log) {}
    std::int64_t dispatch(MotionOp op, std::span<const std::int64_t> args) override;

  private:
    CallLog& log_;
};

class RecordingBackplane final : public Backplane {
  public:
    explicit RecordingBackplane(CallLog& log) : log_(log) {}
    std::uint32_t GetSlotAddr(std::uint8_t slot) override;
    std::uint32_t IoReadByte(std::uint32_t address) override;

  private:
    CallLog& log_;
};

}  // namespace velmira
