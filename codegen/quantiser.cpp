#include "codegen/quantiser.h"

#include <dlfcn.h>

#include <stdexcept>
#include <string>

#ifndef QUORVANE_IMAGEQUANT_SONAME
#define QUORVANE_IMAGEQUANT_SONAME "libimagequant.so.0"
#endif

namespace quorvane::codegen {
namespace {

std::string failure(const char* what) {
    const char* why = ::dlerror();
    return std::string("cannot load ") + what + ": " + (why ? why : "no reason given");
}

Quantiser load() {
    // Kept for the life of the process: the functions are handed out.
    void* library = ::dlopen(QUORVANE_IMAGEQUANT_SONAME, RTLD_NOW | RTLD_LOCAL);
    if (!library) throw std::runtime_error(failure(QUORVANE_IMAGEQUANT_SONAME));
    Quantiser q;
#define QUORVANE_QUANTISER_LOAD(name)                                                                        \
    q.name = reinterpret_cast<decltype(q.name)>(::dlsym(library, #name));                                   \
    if (!q.name) throw std::runtime_error(failure(#name));
    QUORVANE_QUANTISER_FUNCTIONS(QUORVANE_QUANTISER_LOAD)
#undef QUORVANE_QUANTISER_LOAD
    return q;
}

} // namespace

const Quantiser& quantiser() {
    static const Quantiser loaded = load(); // a throw leaves it unset, to be tried again
    return loaded;
}

} // namespace quorvane::codegen
