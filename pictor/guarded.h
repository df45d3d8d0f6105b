// Runs a graphics call that may allocate, so that no exception leaves the layer. A call that
// returns nothing succeeded when it returned.
#pragma once

#include <new>
#include <type_traits>

#include "contracts/pictor/types.h"

namespace Pictor {

template <typename Call>
Status Guarded(Call call) noexcept {
    try {
        if constexpr (std::is_void_v<decltype(call())>) {
            call();
            return Ok;
        } else {
            return call();
        }
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    } catch (...) {
        return GenericError;
    }
}

}  // namespace Pictor
