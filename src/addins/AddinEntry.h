// The C entry points every add-in library exports, and nothing else: create, destroy, and the ProgID with the
// display name. Include in one source file of an add-in library, after defining the add-in class.
#pragma once

#include "hostapi/HostApi.h"

#include <new>

// Defines the three entry points for the add-in class `Class` (constructed from its library's services).
#define GLW_DEFINE_ADDIN_ENTRY_POINTS(Class, progIdText, displayNameText)                                              \
    namespace {                                                                                                        \
    void addinAnchor() {}                                                                                              \
    }                                                                                                                  \
    extern "C" __attribute__((visibility("default"))) glw::hostapi::AddinConnection* glw_addin_create() {              \
        try {                                                                                                          \
            return new Class(glw::addins::desktopAddinServices(reinterpret_cast<const void*>(&addinAnchor)));          \
        } catch (...) {                                                                                                \
            return nullptr;                                                                                            \
        }                                                                                                              \
    }                                                                                                                  \
    extern "C" __attribute__((visibility("default"))) void glw_addin_destroy(glw::hostapi::AddinConnection* addin) {   \
        try {                                                                                                          \
            delete addin;                                                                                              \
        } catch (...) {                                                                                                \
        }                                                                                                              \
    }                                                                                                                  \
    extern "C" __attribute__((visibility("default"))) void glw_addin_info(const char** progId,                         \
                                                                          const char** displayName) {                  \
        if (progId) {                                                                                                  \
            *progId = progIdText;                                                                                      \
        }                                                                                                              \
        if (displayName) {                                                                                             \
            *displayName = displayNameText;                                                                            \
        }                                                                                                              \
    }
