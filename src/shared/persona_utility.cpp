#include "shared/persona_utility.h"

namespace orv {

// No data: constructing sets the virtual table, assigning has nothing to do.
PersonaUtility::PersonaUtility() = default;
PersonaUtility::PersonaUtility(const PersonaUtility& /*other*/) = default;
PersonaUtility::PersonaUtility(PersonaUtility&& /*other*/) noexcept = default;
PersonaUtility& PersonaUtility::operator=(const PersonaUtility& /*other*/) {
    return *this;
}
PersonaUtility& PersonaUtility::operator=(PersonaUtility&& /*other*/) noexcept {
    return *this;
}

}  // namespace orv
