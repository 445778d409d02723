#include "hw/loaded_library.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <QFileInfo>
#include <cerrno>
#include <string_view>
#include <type_traits>
#include <utility>

#include "platform/host_file.h"
#include "platform/printable.h"
#include "velmira/motion_abi.h"

namespace velmira {
namespace {

// The public header and the operation table must agree on every type: the
// library is called through pointers of the table's types.
#define VELMIRA_CHECK_ONE(fn, ret, ...) \
    static_assert(std::is_same_v<decltype(&fn), ret (*)(__VA_ARGS__)>, #fn " has other types");
#define VELMIRA_CHECK_Both(name, ret, ...)               \
    VELMIRA_CHECK_ONE(lorvexMF_##name, ret, __VA_ARGS__) \
    VELMIRA_CHECK_ONE(quenbyMF_##name, ret, __VA_ARGS__)
#define VELMIRA_CHECK_FourAxis(name, ret, ...) VELMIRA_CHECK_ONE(lorvexMF_##name, ret, __VA_ARGS__)
#define VELMIRA_CHECK_TwoAxis(name, ret, ...) VELMIRA_CHECK_ONE(quenbyMF_##name, ret, __VA_ARGS__)
#define VELMIRA_CHECK_OP(name, scope, ret, ...) VELMIRA_CHECK_##scope(name, ret, __VA_ARGS__)
VELMIRA_MOTION_OPS(VELMIRA_CHECK_OP)
VELMIRA_CHECK_ONE(GetSlotAddr, uint32_t, uint8_t)
VELMIRA_CHECK_ONE(IoReadByte, uint32_t, uint32_t)
#undef VELMIRA_CHECK_OP
#undef VELMIRA_CHECK_TwoAxis
#undef VELMIRA_CHECK_FourAxis
#undef VELMIRA_CHECK_Both
#undef VELMIRA_CHECK_ONE

template <class R, class... T, std::size_t... I>
std::int64_t callAs(void* function, std::span<const std::int64_t> args, std::index_sequence<I...>) {
    auto* f = reinterpret_cast<R (*)(T...)>(function);
    return static_cast<std::int64_t>(f(static_cast<T>(args[I])...));
}

template <class R, class... T>
std::int64_t callAs(void* function, std::span<const std::int64_t> args) {
    return callAs<R, T...>(function, args, std::index_sequence_for<T...>{});
}

}  // namespace

Result<std::shared_ptr<SharedObject>> SharedObject::open(const std::string& path) {
    const std::string shown = printable(path);
    // The system's own reason: a name too long is no missing file.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return Failure{shown + ": " + fileErrorText(errno)};
    if (!S_ISREG(st.st_mode)) return Failure{shown + ": " + fileErrorText(kNotRegularFile, path)};
    const QFileInfo info(QString::fromStdString(path));
    // An absolute path, so the loader never searches for it.
    const std::string absolute = info.absoluteFilePath().toStdString();
    dlerror();
    void* handle = dlopen(absolute.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* error = dlerror();
        std::string_view why = error ? error : "unknown reason";
        // The loader names the file first, which the message has done already.
        const std::string named = absolute + ": ";
        if (why.starts_with(named)) why.remove_prefix(named.size());
        return Failure{shown + ": cannot be loaded: " + printable(why)};
    }
    return std::shared_ptr<SharedObject>(new SharedObject(path, handle));
}

SharedObject::~SharedObject() {
    dlclose(handle_);
}

void* SharedObject::symbol(const std::string& name) const {
    return dlsym(handle_, name.c_str());
}

Result<std::unique_ptr<LoadedMotionLibrary>> LoadedMotionLibrary::load(
    ModuleKind kind, std::shared_ptr<SharedObject> object) {
    std::unique_ptr<LoadedMotionLibrary> lib(new LoadedMotionLibrary(kind, object));
    const std::string prefix(libraryPrefix(kind));
    std::string missing;
    for (int i = 0; i < kMotionOpCount; ++i) {
        if (!exportedBy(static_cast<MotionOp>(i), kind == ModuleKind::Lorvex)) continue;
        const std::string name = prefix + std::string(kMotionOps[i].name);
        lib->functions_[i] = object->symbol(name);
        if (!lib->functions_[i]) missing += (missing.empty() ? "" : ", ") + name;
    }
    if (!missing.empty()) return Failure{printable(object->path()) + ": lacks " + missing};
    return lib;
}

std::int64_t LoadedMotionLibrary::dispatch(MotionOp op, std::span<const std::int64_t> args) {
    void* f = functions_[static_cast<int>(op)];
    // The other kind's own operations are never resolved, nor called.
    if (!f) return 0;
    switch (op) {
#define VELMIRA_CALL_OP(name, scope, ret, ...) \
    case MotionOp::name:                       \
        return callAs<ret, __VA_ARGS__>(f, args);
        VELMIRA_MOTION_OPS(VELMIRA_CALL_OP)
#undef VELMIRA_CALL_OP
    }
    return 0;
}

Result<std::unique_ptr<LoadedBackplane>> LoadedBackplane::load(
    std::shared_ptr<SharedObject> object) {
    std::unique_ptr<LoadedBackplane> bp(new LoadedBackplane(object));
    bp->getSlotAddr_ =
        reinterpret_cast<std::uint32_t (*)(std::uint8_t)>(object->symbol("GetSlotAddr"));
    bp->ioReadByte_ =
        reinterpret_cast<std::uint32_t (*)(std::uint32_t)>(object->symbol("IoReadByte"));
    std::string missing;
    if (!bp->getSlotAddr_) missing = "GetSlotAddr";
    if (!bp->ioReadByte_) missing += std::string(missing.empty() ? "" : ", ") + "IoReadByte";
    if (!missing.empty()) return Failure{printable(object->path()) + ": lacks " + missing};
    return bp;
}

}  // namespace velmira
