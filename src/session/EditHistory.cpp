#include "session/EditHistory.h"

namespace tessaform {

bool sameEditState(const EditState& a, const EditState& b)
{
    return !paramsDiffer(a.params, b.params) && a.gradient == b.gradient;
}

}  // namespace tessaform
