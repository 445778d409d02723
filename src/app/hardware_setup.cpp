#include "app/hardware_setup.h"

namespace velmira {
namespace {

// The library at `path`, the option named in its failure.
Result<std::shared_ptr<SharedObject>> openLibrary(const char* option, const std::string& path) {
    Result<std::shared_ptr<SharedObject>> r = SharedObject::open(path);
    if (!r.ok()) return Failure{std::string(option) + ": " + r.error()};
    return r;
}

// The library for one kind: the simulated one, or the one at the path given.
Result<std::unique_ptr<MotionLibrary>> makeMotionLibrary(const char* option,
                                                         const std::string& path, ModuleKind kind,
                                                         SimRack& rack) {
    if (path.empty()) return std::unique_ptr<MotionLibrary>(new SimMotionLibrary(kind, rack));
    const Result<std::shared_ptr<SharedObject>> o = openLibrary(option, path);
    if (!o.ok()) return Failure{o.error()};
    auto loaded = LoadedMotionLibrary::load(kind, *o);
    if (!loaded.ok()) return Failure{std::string(option) + ": " + loaded.error()};
    return std::unique_ptr<MotionLibrary>(std::move(*loaded));
}

}  // namespace

Result<std::unique_ptr<HardwareSetup>> HardwareSetup::create(const Options& options) {
    std::unique_ptr<HardwareSetup> s(new HardwareSetup);
    const SlotListResult slots = parseSlotList(options.rack);
    if (!slots.ids) return Failure{"--rack: " + slots.error};
    s->clock_ = std::make_unique<SteadySimClock>();
    s->rack_ = std::make_unique<SimRack>(*slots.ids, options.rackDescription, *s->clock_);

    auto lorvex =
        makeMotionLibrary("--lorvex-lib", options.lorvexLib, ModuleKind::Lorvex, *s->rack_);
    if (!lorvex.ok()) return Failure{lorvex.error()};
    s->lorvex_ = std::move(*lorvex);
    auto quenby =
        makeMotionLibrary("--quenby-lib", options.quenbyLib, ModuleKind::Quenby, *s->rack_);
    if (!quenby.ok()) return Failure{quenby.error()};
    s->quenby_ = std::move(*quenby);

    if (options.backplaneLib.empty()) {
        s->backplane_ = std::make_unique<SimBackplane>(*s->rack_);
    } else {
        const auto o = openLibrary("--backplane-lib", options.backplaneLib);
        if (!o.ok()) return Failure{o.error()};
        auto loaded = LoadedBackplane::load(*o);
        if (!loaded.ok()) return Failure{"--backplane-lib: " + loaded.error()};
        s->backplane_ = std::move(*loaded);
    }

    s->hw_ = Hardware{s->lorvex_.get(), s->quenby_.get(), s->backplane_.get()};
    if (!options.trace.empty()) {
        auto opened = CallTrace::open(options.trace);
        if (!opened.ok()) return Failure{"--trace: " + opened.error()};
        s->trace_ = std::move(*opened);
        s->tracedLorvex_ = std::make_unique<TracingMotionLibrary>(*s->lorvex_, *s->trace_);
        s->tracedQuenby_ = std::make_unique<TracingMotionLibrary>(*s->quenby_, *s->trace_);
        s->tracedBackplane_ = std::make_unique<TracingBackplane>(*s->backplane_, *s->trace_);
        s->hw_ =
            Hardware{s->tracedLorvex_.get(), s->tracedQuenby_.get(), s->tracedBackplane_.get()};
    }
    return s;
}

}  // namespace velmira
