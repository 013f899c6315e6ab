// The installed fonts, from fontconfig.
#include "FontconfigFontList.h"

#include "WinPath.h"
#include "base/Ascii.h"

#include <algorithm>
#include <fontconfig/fontconfig.h>

namespace glw::platform {

// FontconfigFontList

std::vector<std::string> FontconfigFontList::names() {
    std::vector<std::string> names;
    if (!FcInit()) {
        return names;
    }
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* fonts = pattern && objects ? FcFontList(nullptr, pattern, objects) : nullptr;
    if (fonts) {
        for (int i = 0; i < fonts->nfont; ++i) {
            FcChar8* family = nullptr;
            // A font may carry its family name in several languages; the first is the one it is known by.
            if (FcPatternGetString(fonts->fonts[i], FC_FAMILY, 0, &family) == FcResultMatch && family) {
                names.emplace_back(reinterpret_cast<const char*>(family));
            }
        }
        FcFontSetDestroy(fonts);
    }
    if (objects) {
        FcObjectSetDestroy(objects);
    }
    if (pattern) {
        FcPatternDestroy(pattern);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        int order = base::icompare(a, b);
        return order != 0 ? order < 0 : a < b;
    });
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

} // namespace glw::platform
