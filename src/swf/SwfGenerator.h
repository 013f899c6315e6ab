// The SWF generator object of the clip editor: loads a movie, raises one event per replaceable
// element (texts, edit texts, links, images, sounds), takes new values written into the elements,
// rescales and saves the movie.
#pragma once

#include "base/Result.h"
#include "swf/Media.h"
#include "swf/Movie.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace glw::swf {

// No element: see SwfGenerator::substitutionElements().
inline constexpr std::size_t kNoElement = static_cast<std::size_t>(-1);

// Raised before each static text and edit-text field (OnBeforeSubText) with the text as detected,
// and for each string of the movie's action code (OnSubActionString). For OnBeforeSubText, leaving
// AllowSub False in a handler withholds the text element that would follow; with no handler the
// text is offered. Action strings are for reading: changing them has no effect.
struct TextActionElement {
    std::string ActionString;
    bool AllowSub = false;
};

// A link (OnSubActionGetUrl): the address of an ActionGetURL, or of an ActionGetURL2 whose address
// is pushed right before it.
struct LinkElement {
    std::string Url;
    bool NeedSub = false;
};

// A static text (OnSubText) or edit-text field (OnSubEditText). Text is UTF-8. A static text's lines
// are separated by "\n" (on writing "\r\n" and "\r" separate lines too); an edit text is offered as
// stored and written exactly as given, line breaks included. FontHeight is in twips.
struct TextElement {
    std::string Text;
    std::string FontName;
    std::int32_t FontHeight = 0;
    bool NeedSub = false;
};
using EditTextElement = TextElement;

// A bitmap (OnSubImage). ImageQuality is the JPEG quality (1 to 100); bitmaps that are not JPEG
// report 100. A replacement is a JPEG file given as a host path.
struct ImageElement {
    std::uint16_t ImageId = 0;
    std::string ImageFile;
    std::int32_t ImageQuality = 0;
    bool NeedSub = false;
};

// An event sound (OnSubSound). SoundName is the name the movie exports it under, else empty. A
// replacement is an MP3 file given as a host path.
struct SoundElement {
    std::string SoundName;
    std::int32_t SoundId = 0;
    std::string SoundFile;
    bool NeedSub = false;
};

// One object per pass: LoadSwf, then the optional size, then SaveSwf. Paths are host paths. Every
// call reports failure by its result; nothing in a movie makes it throw or crash.
class SwfGenerator {
public:
    SwfGenerator();
    // With stand-ins for glyphs, JPEG and MP3 (tests); a null member disables what needs it.
    explicit SwfGenerator(Media media);
    ~SwfGenerator();
    SwfGenerator(const SwfGenerator&) = delete;
    SwfGenerator& operator=(const SwfGenerator&) = delete;

    // When set, the next LoadSwf raises the element events.
    void RaiseSubEvents(bool raise);

    // Loads the movie and, when RaiseSubEvents is set, raises the events synchronously before it
    // returns: in file order (tag order, sprites where they stand, then action order inside a tag),
    // the same events in the same order for the same file. A failed load leaves nothing loaded; a
    // handler that throws stops the load, which then fails.
    [[nodiscard]] Result<void> LoadSwf(const std::string& hostPath);

    // The stage size the saved movie gets, in twips; 0 or less keeps the movie's own.
    void SwfHeight(std::int32_t twips);
    void SwfWidth(std::int32_t twips);

    // Writes the loaded movie with the values of every element whose NeedSub was set, at the size
    // set above, in the movie's own compression (`flag` is accepted and changes nothing). The target
    // is replaced only by a complete file. A value that cannot be applied (an image file that is
    // not a JPEG, a sound at a rate the format cannot hold, a character no font can draw or the
    // movie's version cannot store) leaves its element as loaded and is listed in
    // substitutionErrors(); the save itself still succeeds.
    [[nodiscard]] Result<void> SaveSwf(const std::string& hostPath, std::int32_t flag);

    std::function<void(TextActionElement&)> OnBeforeSubText;
    std::function<void(LinkElement&)> OnSubActionGetUrl;
    std::function<void(TextActionElement&)> OnSubActionString;
    std::function<void(EditTextElement&)> OnSubEditText;
    std::function<void(ImageElement&)> OnSubImage;
    std::function<void(SoundElement&)> OnSubSound;
    std::function<void(TextElement&)> OnSubText;

    // What the last SaveSwf could not apply, one entry per element.
    const std::vector<Error>& substitutionErrors() const;
    // The element each entry of substitutionErrors() refused, by its place among the element events
    // (OnSubText, OnSubEditText, OnSubActionGetUrl, OnSubImage, OnSubSound) of the load, counting from 0
    // whether or not a handler was set; kNoElement for one that belongs to no single element.
    const std::vector<std::size_t>& substitutionElements() const;
    // What the last LoadSwf could not read: one entry per tag, its detail naming the tag and the
    // reason, its offset where the tag starts in the uncompressed file. Such a tag offers no element
    // and is saved as it was.
    const std::vector<Error>& scanErrors() const;
    // The movie as loaded, or null.
    const Movie* loadedMovie() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace glw::swf
