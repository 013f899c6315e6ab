// Compiled by the build's tests, not linked: with GLW_SPELLED_RIGHT it names a property that exists and
// compiles; without, it names a misspelt one ("Valeu"), which must not compile.
#include "forms/PropertyId.h"

bool showsValue(glw::forms::PropertyId changed) {
#ifdef GLW_SPELLED_RIGHT
    return changed == glw::forms::PropertyId::Value;
#else
    return changed == glw::forms::PropertyId::Valeu;
#endif
}
