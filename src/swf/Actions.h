// AVM1 action code: the action records of a block, the action blocks inside tags, the links and
// strings they hold, and rewriting a block with every branch offset and code size kept right.
#pragma once

#include "base/Result.h"
#include "swf/Bytes.h"
#include "swf/Movie.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace glw::swf {

namespace actioncode {
constexpr std::uint8_t End = 0x00;
constexpr std::uint8_t GetUrl = 0x83;
constexpr std::uint8_t ConstantPool = 0x88;
constexpr std::uint8_t DefineFunction2 = 0x8E;
constexpr std::uint8_t Try = 0x8F;
constexpr std::uint8_t With = 0x94;
constexpr std::uint8_t Push = 0x96;
constexpr std::uint8_t Jump = 0x99;
constexpr std::uint8_t GetUrl2 = 0x9A;
constexpr std::uint8_t DefineFunction = 0x9B;
constexpr std::uint8_t If = 0x9D;
} // namespace actioncode

// One action record of a block; offsets are relative to the block's start.
struct ActionRecord {
    std::uint8_t code = 0;
    std::size_t offset = 0; // where the record starts
    std::size_t size = 0;   // code byte, length field (codes >= 0x80) and payload
    ByteView payload;
};

struct ActionList {
    std::vector<ActionRecord> records; // in order, the End action (code 0) included when present
    std::size_t end = 0;               // offset after the last record; bytes beyond are kept as they are
};

// Reads action records up to the End action or the end of `block`. Truncated when a record's
// length runs past the block.
[[nodiscard]] Result<ActionList> parseActions(ByteView block);

// A value of an ActionPush; offsets are relative to the push's payload.
struct PushValue {
    std::uint8_t type = 0; // 0 string, 8/9 constant pool index, others not used here
    std::size_t offset = 0;
    std::size_t size = 0;       // type byte included
    std::string_view text;      // type 0
    std::uint16_t constant = 0; // types 8 and 9
};
[[nodiscard]] Result<std::vector<PushValue>> parsePush(ByteView payload);
[[nodiscard]] Result<std::vector<std::string_view>> parseConstantPool(ByteView payload);

// A stretch of action code inside a tag and the field (if any) that records its size.
struct ActionBlock {
    std::size_t begin = 0; // within the tag's payload
    std::size_t end = 0;
    enum class SizeField { None, U16, U32 } sizeField = SizeField::None;
    std::size_t sizeFieldAt = 0; // the field's offset in the payload; it grows with the block
};

// The action blocks of DoAction, DoInitAction, DefineButton, DefineButton2 (one per condition) and
// PlaceObject2/3 clip actions (one per event record), in file order. A tag with no AVM1 code gives
// none; Malformed when the tag's structure cannot be followed to its code.
[[nodiscard]] Result<std::vector<ActionBlock>> findActionBlocks(const Tag& tag, std::uint8_t version);

// A link in a block: an ActionGetURL, or an ActionGetURL2 whose address is a string or constant
// pushed right before it.
struct LinkSite {
    std::size_t action = 0; // the GetURL or GetURL2 record
    bool viaPush = false;
    std::size_t push = 0;      // the push record holding the address (viaPush)
    std::size_t pushValue = 0; // which of its values
    std::string url;           // as stored in the movie (not yet decoded to UTF-8)
};

// What one block offers, in action order: links and the strings of constant pools and pushes.
struct BlockScan {
    struct Item {
        bool isLink = false;
        LinkSite link;
        std::string text; // a string of the code (not a link), as stored
    };
    std::vector<Item> items;
};
[[nodiscard]] BlockScan scanBlock(const ActionList& list);

// A new whole record for one action of a block.
struct ActionReplacement {
    std::size_t action = 0;
    Bytes record;
};

// Rebuilds `block` with some records replaced. Jump and If offsets, DefineFunction/DefineFunction2
// code sizes, With sizes and Try block sizes that span a changed record are moved by its change
// in size. Unsupported when a branch lands inside a replaced record; TooLarge when a moved
// offset or size no longer fits its field.
[[nodiscard]] Result<Bytes> rewriteActions(ByteView block, const ActionList& list,
                                           std::vector<ActionReplacement> replacements);

// Records that set a link's address, keeping everything else of the original record.
[[nodiscard]] Result<Bytes> getUrlWithAddress(const ActionRecord& getUrl, std::string_view address);
[[nodiscard]] Result<Bytes> pushWithString(const ActionRecord& push, std::size_t valueIndex, std::string_view text);

// Replaces blocks of a tag payload and moves each block's size field by its change in size.
struct BlockReplacement {
    ActionBlock block;
    Bytes bytes;
};
[[nodiscard]] Result<Bytes> replaceBlocks(ByteView payload, std::vector<BlockReplacement> replacements);

} // namespace glw::swf
