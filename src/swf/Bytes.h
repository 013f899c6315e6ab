// The engine's byte vocabulary: the base's bounded reader and writer, named in the engine's namespace.
#pragma once

#include "base/Bytes.h"

namespace glw::swf {

using base::bitsForSigned;
using base::bitsForUnsigned;
using base::ByteReader;
using base::Bytes;
using base::ByteView;
using base::ByteWriter;
using base::putU16;
using base::putU32;
using base::readU16;
using base::readU32;

} // namespace glw::swf
