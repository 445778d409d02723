#include "app/hardware_setup.h"

namespace velmira {
namespace {

struct Opened {
    std::shared_ptr<SharedObject> object;
    std::string error;
};

Opened openLibrary(const char* option, const std::string& path) {
    SharedObject::OpenResult r = SharedObject::open(path);
    return {r.object, r.error.empty() ? std::string() : std::string(option) + ": " + r.error};
}

// The library for one kind: the simulated one, or the one at the path given.
std::string makeMotionLibrary(const char* option, const std::string& path, ModuleKind kind,
                              SimRack& rack, std::unique_ptr<MotionLibrary>& out) {
    if (path.empty()) {
        out = std::make_unique<SimMotionLibrary>(kind, rack);
        return {};
    }
    Opened o = openLibrary(option, path);
    if (!o.object) return o.error;
    auto loaded = LoadedMotionLibrary::load(kind, o.object);
    if (!loaded.library) return std::string(option) + ": " + loaded.error;
    out = std::move(loaded.library);
    return {};
}

}  // namespace

HardwareSetup::Result HardwareSetup::create(const Options& options) {
    std::unique_ptr<HardwareSetup> s(new HardwareSetup);
    const SlotListResult slots = parseSlotList(options.rack);
    if (!slots.ids) return {nullptr, "--rack: " + slots.error};
    s->clock_ = std::make_unique<SteadySimClock>();
    s->rack_ = std::make_unique<SimRack>(*slots.ids, options.rackDescription, *s->clock_);

    for (const std::string& error :
         {makeMotionLibrary("--lorvex-lib", options.lorvexLib, ModuleKind::Lorvex, *s->rack_,
                            s->lorvex_),
          makeMotionLibrary("--quenby-lib", options.quenbyLib, ModuleKind::Quenby, *s->rack_,
                            s->quenby_)}) {
        if (!error.empty()) return {nullptr, error};
    }

    if (options.backplaneLib.empty()) {
        s->backplane_ = std::make_unique<SimBackplane>(*s->rack_);
    } else {
        Opened o = openLibrary("--backplane-lib", options.backplaneLib);
        if (!o.object) return {nullptr, o.error};
        auto loaded = LoadedBackplane::load(o.object);
        if (!loaded.backplane) return {nullptr, "--backplane-lib: " + loaded.error};
        s->backplane_ = std::move(loaded.backplane);
    }

    s->hw_ = Hardware{s->lorvex_.get(), s->quenby_.get(), s->backplane_.get()};
    if (!options.trace.empty()) {
        auto opened = CallTrace::open(options.trace);
        if (!opened.trace) return {nullptr, "--trace: " + opened.error};
        s->trace_ = std::move(opened.trace);
        s->tracedLorvex_ = std::make_unique<TracingMotionLibrary>(*s->lorvex_, *s->trace_);
        s->tracedQuenby_ = std::make_unique<TracingMotionLibrary>(*s->quenby_, *s->trace_);
        s->tracedBackplane_ = std::make_unique<TracingBackplane>(*s->backplane_, *s->trace_);
        s->hw_ =
            Hardware{s->tracedLorvex_.get(), s->tracedQuenby_.get(), s->tracedBackplane_.get()};
    }
    return {std::move(s), {}};
}

}  // namespace velmira
