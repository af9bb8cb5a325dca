// The two questions every geometry test asks of the panel's boxes.
#pragma once

#include "panels/status_layout.h"

namespace box_checks {

using status_layout::Box;

// Empty boxes overlap nothing.
inline bool Overlap(const Box& a, const Box& b) {
    return !a.Empty() && !b.Empty() && a.left < b.right && b.left < a.right && a.top < b.bottom &&
           b.top < a.bottom;
}

inline bool Inside(const Box& inner, const Box& outer) {
    return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
           inner.bottom <= outer.bottom;
}

}  // namespace box_checks
