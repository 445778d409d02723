#pragma once

#include <array>
#include <memory>
#include <string>

#include "hw/motion_library.h"
#include "platform/result.h"

namespace velmira {

// A shared library opened by its path, closed when the last user goes.
class SharedObject {
  public:
    // Opens exactly the file given (never a search of the library path or the
    // working folder).
    static Result<std::shared_ptr<SharedObject>> open(const std::string& path);

    ~SharedObject();
    SharedObject(const SharedObject&) = delete;
    SharedObject& operator=(const SharedObject&) = delete;

    void* symbol(const std::string& name) const;
    const std::string& path() const { return path_; }

  private:
    SharedObject(std::string path, void* handle) : path_(std::move(path)), handle_(handle) {}
    std::string path_;
    void* handle_;
};

// A motion library reached through its C functions. Every function the
// program uses is resolved when it is loaded, so a library that lacks one is
// refused before anything runs.
class LoadedMotionLibrary final : public MotionLibrary {
  public:
    static Result<std::unique_ptr<LoadedMotionLibrary>> load(ModuleKind kind,
                                                             std::shared_ptr<SharedObject> object);

    std::int64_t dispatch(MotionOp op, std::span<const std::int64_t> args) override;

  private:
    LoadedMotionLibrary(ModuleKind kind, std::shared_ptr<SharedObject> object)
        : MotionLibrary(kind), object_(std::move(object)) {}

    std::shared_ptr<SharedObject> object_;
    std::array<void*, kMotionOpCount> functions_{};
};

class LoadedBackplane final : public Backplane {
  public:
    static Result<std::unique_ptr<LoadedBackplane>> load(std::shared_ptr<SharedObject> object);

    std::uint32_t GetSlotAddr(std::uint8_t slot) override { return getSlotAddr_(slot); }
    std::uint32_t IoReadByte(std::uint32_t address) override { return ioReadByte_(address); }

  private:
    explicit LoadedBackplane(std::shared_ptr<SharedObject> object) : object_(std::move(object)) {}

    std::shared_ptr<SharedObject> object_;
    std::uint32_t (*getSlotAddr_)(std::uint8_t) = nullptr;
    std::uint32_t (*ioReadByte_)(std::uint32_t) = nullptr;
};

}  // namespace velmira
