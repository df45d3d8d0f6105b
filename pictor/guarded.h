// Runs a graphics call that may allocate, so that no exception leaves the layer.
#pragma once

#include <new>

#include "contracts/pictor/types.h"

namespace Pictor {

template <typename Call>
Status Guarded(Call call) noexcept {
    try {
        return call();
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    } catch (...) {
        return GenericError;
    }
}

}  // namespace Pictor
