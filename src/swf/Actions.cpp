// AVM1 action code: the action records of a block, the action blocks inside tags, the links and
// strings they hold, and rewriting a block with every branch offset and code size kept right.
#include "swf/Actions.h"

#include "swf/Records.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace glw::swf {

Result<ActionList> parseActions(ByteView block) {
    ActionList list;
    std::size_t pos = 0;
    while (pos < block.size()) {
        ActionRecord rec;
        rec.code = block[pos];
        rec.offset = pos;
        std::size_t length = 0;
        std::size_t header = 1;
        if (rec.code >= 0x80) {
            if (block.size() - pos < 3) {
                return makeError(ErrorCode::Truncated, "an action's length is cut short", pos);
            }
            length = readU16(block.data() + pos + 1);
            header = 3;
        }
        if (length > block.size() - pos - header) {
            return makeError(ErrorCode::Truncated, "an action runs past the end of its code", pos);
        }
        rec.payload = block.subspan(pos + header, length);
        rec.size = header + length;
        pos += rec.size;
        list.records.push_back(rec);
        if (rec.code == actioncode::End) {
            break;
        }
    }
    list.end = pos;
    return list;
}

Result<std::vector<PushValue>> parsePush(ByteView payload) {
    std::vector<PushValue> values;
    ByteReader r(payload);
    while (!r.atEnd()) {
        PushValue v;
        v.offset = r.position();
        v.type = r.u8();
        switch (v.type) {
        case 0:
            v.text = r.cstring();
            break;
        case 1:
            r.skip(4);
            break; // float
        case 2:    // null
        case 3:
            break; // undefined
        case 4:    // register
        case 5:
            r.skip(1);
            break; // boolean
        case 6:
            r.skip(8);
            break; // double
        case 7:
            r.skip(4);
            break; // integer
        case 8:
            v.constant = r.u8();
            break;
        case 9:
            v.constant = r.u16();
            break;
        default:
            return makeError(ErrorCode::Malformed, "unknown push value type", v.offset);
        }
        if (r.failed()) {
            return makeError(ErrorCode::Truncated, "a pushed value is cut short", v.offset);
        }
        v.size = r.position() - v.offset;
        values.push_back(v);
    }
    return values;
}

Result<std::vector<std::string_view>> parseConstantPool(ByteView payload) {
    ByteReader r(payload);
    unsigned count = r.u16();
    std::vector<std::string_view> pool;
    pool.reserve(std::min<std::size_t>(count, payload.size()));
    for (unsigned i = 0; i < count && !r.failed(); ++i) {
        pool.push_back(r.cstring());
    }
    if (r.failed()) {
        return makeError(ErrorCode::Truncated, "a constant pool is cut short");
    }
    return pool;
}

namespace {

// Reads past a PlaceObject2/3's fields up to its clip actions; false when it has none.
bool seekClipActions(ByteReader& r, const Tag& tag) {
    bool po3 = tag.code() == TagCode::PlaceObject3;
    std::uint8_t flags = r.u8();
    std::uint8_t flags2 = po3 ? r.u8() : 0;
    if (!(flags & 0x80)) {
        return false;
    }
    r.skip(2); // depth
    if (po3 && ((flags2 & 0x08) || ((flags2 & 0x10) && (flags & 0x02)))) {
        (void)r.cstring(); // class name
    }
    if (flags & 0x02) {
        r.skip(2); // character id
    }
    if (flags & 0x04) {
        (void)readMatrix(r);
    }
    if (flags & 0x08) {
        skipColorTransform(r, true);
    }
    if (flags & 0x10) {
        r.skip(2); // ratio
    }
    if (flags & 0x20) {
        (void)r.cstring(); // name
    }
    if (flags & 0x40) {
        r.skip(2); // clip depth
    }
    if (po3) {
        if (flags2 & 0x01) {
            skipFilterList(r);
        }
        if (flags2 & 0x02) {
            r.skip(1); // blend mode
        }
        if (flags2 & 0x04) {
            r.skip(1); // bitmap cache
        }
        if (flags2 & 0x20) {
            r.skip(1); // visible
        }
        if (flags2 & 0x40) {
            r.skip(4); // opaque background colour
        }
    }
    return !r.failed();
}

Result<std::vector<ActionBlock>> clipActionBlocks(const Tag& tag, std::uint8_t version) {
    ByteView p = tag.payload();
    ByteReader r(p);
    std::vector<ActionBlock> blocks;
    if (!seekClipActions(r, tag)) {
        if (r.failed()) {
            return makeError(ErrorCode::Malformed, "a placement's fields run past its end");
        }
        return blocks;
    }
    std::size_t flagBytes = version >= 6 ? 4 : 2;
    r.skip(2);         // reserved
    r.skip(flagBytes); // all event flags
    for (;;) {
        ByteView flags = r.bytes(flagBytes);
        if (r.failed()) {
            return makeError(ErrorCode::Truncated, "clip actions are cut short");
        }
        if (std::all_of(flags.begin(), flags.end(), [](std::uint8_t b) { return b == 0; })) {
            break;
        }
        ActionBlock b;
        b.sizeField = ActionBlock::SizeField::U32;
        b.sizeFieldAt = r.position();
        std::uint32_t recordSize = r.u32();
        std::size_t recordStart = r.position();
        if (r.failed() || recordSize > p.size() - recordStart) {
            return makeError(ErrorCode::Truncated, "a clip action record runs past its tag");
        }
        bool keyPress = flagBytes == 4 && (flags[2] & 0x02);
        b.begin = recordStart + (keyPress ? 1 : 0);
        b.end = recordStart + recordSize;
        if (b.begin > b.end) {
            return makeError(ErrorCode::Malformed, "a clip action record is too short for its key code");
        }
        blocks.push_back(b);
        r.seek(b.end);
    }
    return blocks;
}

Result<std::vector<ActionBlock>> buttonBlocks(const Tag& tag) {
    ByteView p = tag.payload();
    ByteReader r(p);
    r.skip(2); // button id
    // Button records up to the end flag: flags, character, depth, matrix.
    for (;;) {
        std::uint8_t flags = r.u8();
        if (r.failed()) {
            return makeError(ErrorCode::Truncated, "a button's records are cut short");
        }
        if (flags == 0) {
            break;
        }
        r.skip(4);
        (void)readMatrix(r);
    }
    std::vector<ActionBlock> blocks;
    blocks.push_back(ActionBlock{r.position(), p.size(), ActionBlock::SizeField::None, 0});
    return blocks;
}

Result<std::vector<ActionBlock>> button2Blocks(const Tag& tag) {
    ByteView p = tag.payload();
    std::vector<ActionBlock> blocks;
    if (p.size() < 5) {
        return makeError(ErrorCode::Truncated, "a button is cut short");
    }
    std::size_t actionOffset = readU16(p.data() + 3);
    if (actionOffset == 0) {
        return blocks;
    }
    std::size_t pos = 3 + actionOffset;
    while (pos < p.size()) {
        if (p.size() - pos < 4) {
            return makeError(ErrorCode::Truncated, "a button condition is cut short");
        }
        std::size_t condSize = readU16(p.data() + pos);
        ActionBlock b;
        b.begin = pos + 4;
        if (condSize == 0) {
            b.end = p.size();
        } else {
            if (condSize < 4 || condSize > p.size() - pos) {
                return makeError(ErrorCode::Malformed, "a button condition's size is out of range");
            }
            b.end = pos + condSize;
            b.sizeField = ActionBlock::SizeField::U16;
            b.sizeFieldAt = pos;
        }
        blocks.push_back(b);
        if (condSize == 0) {
            break;
        }
        pos += condSize;
    }
    if (pos > p.size()) {
        return makeError(ErrorCode::Malformed, "button conditions run past their tag");
    }
    return blocks;
}

} // namespace

Result<std::vector<ActionBlock>> findActionBlocks(const Tag& tag, std::uint8_t version) {
    std::size_t size = tag.payload().size();
    switch (tag.code()) {
    case TagCode::DoAction:
        return std::vector<ActionBlock>{ActionBlock{0, size}};
    case TagCode::DoInitAction:
        if (size < 2) {
            return makeError(ErrorCode::Truncated, "DoInitAction is cut short");
        }
        return std::vector<ActionBlock>{ActionBlock{2, size}};
    case TagCode::DefineButton:
        return buttonBlocks(tag);
    case TagCode::DefineButton2:
        return button2Blocks(tag);
    case TagCode::PlaceObject2:
    case TagCode::PlaceObject3:
        if (version < 5) {
            return std::vector<ActionBlock>{};
        }
        return clipActionBlocks(tag, version);
    default:
        return std::vector<ActionBlock>{};
    }
}

BlockScan scanBlock(const ActionList& list) {
    BlockScan scan;
    std::vector<std::string_view> pool;
    const auto& recs = list.records;
    for (std::size_t i = 0; i < recs.size(); ++i) {
        const ActionRecord& rec = recs[i];
        if (rec.code == actioncode::ConstantPool) {
            Result<std::vector<std::string_view>> parsed = parseConstantPool(rec.payload);
            pool = parsed ? std::move(*parsed) : std::vector<std::string_view>{};
            for (std::string_view s : pool) {
                scan.items.push_back(BlockScan::Item{false, {}, std::string(s)});
            }
        } else if (rec.code == actioncode::Push) {
            Result<std::vector<PushValue>> values = parsePush(rec.payload);
            if (values) {
                for (const PushValue& v : *values) {
                    if (v.type == 0) {
                        scan.items.push_back(BlockScan::Item{false, {}, std::string(v.text)});
                    }
                }
            }
        } else if (rec.code == actioncode::GetUrl) {
            ByteReader r(rec.payload);
            std::string_view url = r.cstring();
            if (!r.failed()) {
                LinkSite link;
                link.action = i;
                link.url = std::string(url);
                scan.items.push_back(BlockScan::Item{true, std::move(link), {}});
            }
        } else if (rec.code == actioncode::GetUrl2 && i > 0) {
            // GetURL2 pops the target, then the address: the address is the value below the top.
            std::size_t want = 2; // position from the top of the stack
            for (std::size_t k = i; k-- > 0 && recs[k].code == actioncode::Push;) {
                Result<std::vector<PushValue>> values = parsePush(recs[k].payload);
                if (!values) {
                    break;
                }
                if (values->size() < want) {
                    want -= values->size();
                    continue;
                }
                std::size_t index = values->size() - want;
                const PushValue& v = (*values)[index];
                std::string_view url;
                bool found = false;
                if (v.type == 0) {
                    url = v.text;
                    found = true;
                } else if ((v.type == 8 || v.type == 9) && v.constant < pool.size()) {
                    url = pool[v.constant];
                    found = true;
                }
                if (found) {
                    LinkSite link;
                    link.action = i;
                    link.viaPush = true;
                    link.push = k;
                    link.pushValue = index;
                    link.url = std::string(url);
                    scan.items.push_back(BlockScan::Item{true, std::move(link), {}});
                }
                break;
            }
        }
    }
    return scan;
}

namespace {

struct Shift {
    std::int64_t start;
    std::int64_t end;
    std::int64_t delta;
};

// Where an offset of the old block lies in the new one; nullopt inside a replaced record.
std::optional<std::int64_t> moved(std::int64_t at, const std::vector<Shift>& shifts) {
    std::int64_t out = at;
    for (const Shift& s : shifts) {
        if (at > s.start && at < s.end) {
            return std::nullopt;
        }
        if (s.start < at) {
            out += s.delta;
        }
    }
    return out;
}

Result<std::int64_t> movedSpan(std::int64_t from, std::int64_t to, const std::vector<Shift>& shifts) {
    std::optional<std::int64_t> a = moved(from, shifts);
    std::optional<std::int64_t> b = moved(to, shifts);
    if (!a || !b) {
        return makeError(ErrorCode::Unsupported, "a branch leads into the middle of the changed action");
    }
    return *b - *a;
}

} // namespace

Result<Bytes> rewriteActions(ByteView block, const ActionList& list, std::vector<ActionReplacement> replacements) {
    std::sort(replacements.begin(), replacements.end(),
              [](const ActionReplacement& a, const ActionReplacement& b) { return a.action < b.action; });
    std::vector<Shift> shifts;
    for (const ActionReplacement& rep : replacements) {
        if (rep.action >= list.records.size()) {
            return makeError(ErrorCode::Invalid, "no such action");
        }
        const ActionRecord& rec = list.records[rep.action];
        shifts.push_back(Shift{static_cast<std::int64_t>(rec.offset), static_cast<std::int64_t>(rec.offset + rec.size),
                               static_cast<std::int64_t>(rep.record.size()) - static_cast<std::int64_t>(rec.size)});
    }
    ByteWriter out(block.size() + 64);
    std::size_t next = 0;
    for (std::size_t i = 0; i < list.records.size(); ++i) {
        const ActionRecord& rec = list.records[i];
        if (next < replacements.size() && replacements[next].action == i) {
            out.bytes(replacements[next].record);
            ++next;
            continue;
        }
        Bytes copy(block.begin() + static_cast<std::ptrdiff_t>(rec.offset),
                   block.begin() + static_cast<std::ptrdiff_t>(rec.offset + rec.size));
        // Only records with a length field (codes 0x80 and up) hold offsets or sizes.
        std::uint8_t* payload = copy.data() + (rec.code >= 0x80 ? 3 : 0);
        std::size_t n = rec.payload.size();
        auto recEnd = static_cast<std::int64_t>(rec.offset + rec.size);
        // A span from the end of this record; `field` is its bytes in the payload.
        auto fixSpan = [&](std::size_t field, bool isSigned, std::int64_t from, std::int64_t length) -> Result<void> {
            Result<std::int64_t> span = movedSpan(from, from + length, shifts);
            if (!span) {
                return span.error();
            }
            std::int64_t v = *span;
            if (isSigned
                    ? (v < std::numeric_limits<std::int16_t>::min() || v > std::numeric_limits<std::int16_t>::max())
                    : (v < 0 || v > std::numeric_limits<std::uint16_t>::max())) {
                return makeError(ErrorCode::TooLarge, "a branch or code size no longer fits its field");
            }
            putU16(payload + field, static_cast<std::uint16_t>(v));
            return {};
        };
        Result<void> fixed;
        switch (rec.code) {
        case actioncode::Jump:
        case actioncode::If:
            if (n >= 2) {
                fixed = fixSpan(0, true, recEnd, static_cast<std::int16_t>(readU16(payload)));
            }
            break;
        case actioncode::DefineFunction:
        case actioncode::DefineFunction2:
            if (n >= 2) {
                fixed = fixSpan(n - 2, false, recEnd, readU16(payload + n - 2));
            }
            break;
        case actioncode::With:
            if (n >= 2) {
                fixed = fixSpan(0, false, recEnd, readU16(payload));
            }
            break;
        case actioncode::Try:
            if (n >= 7) {
                std::int64_t tryEnd = recEnd + readU16(payload + 1);
                std::int64_t catchEnd = tryEnd + readU16(payload + 3);
                fixed = fixSpan(1, false, recEnd, tryEnd - recEnd);
                if (fixed) {
                    fixed = fixSpan(3, false, tryEnd, catchEnd - tryEnd);
                }
                if (fixed) {
                    fixed = fixSpan(5, false, catchEnd, readU16(payload + 5));
                }
            }
            break;
        default:
            break;
        }
        if (!fixed) {
            return fixed.error();
        }
        out.bytes(copy);
    }
    out.bytes(block.subspan(list.end));
    return out.take();
}

namespace {

Result<Bytes> record(std::uint8_t code, const Bytes& payload) {
    if (payload.size() > 0xFFFF) {
        return makeError(ErrorCode::TooLarge, "the action would be longer than 65535 bytes");
    }
    ByteWriter w(payload.size() + 3);
    w.u8(code);
    w.u16(static_cast<std::uint16_t>(payload.size()));
    w.bytes(payload);
    return w.take();
}

std::string withoutNul(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        if (c != '\0') {
            out.push_back(c);
        }
    }
    return out;
}

} // namespace

Result<Bytes> getUrlWithAddress(const ActionRecord& getUrl, std::string_view address) {
    ByteReader r(getUrl.payload);
    (void)r.cstring();
    if (r.failed()) {
        return makeError(ErrorCode::Malformed, "the link's address is not terminated");
    }
    ByteWriter p;
    p.cstring(withoutNul(address));
    p.bytes(r.rest()); // target and anything after it, as stored
    return record(actioncode::GetUrl, p.take());
}

Result<Bytes> pushWithString(const ActionRecord& push, std::size_t valueIndex, std::string_view text) {
    Result<std::vector<PushValue>> values = parsePush(push.payload);
    if (!values) {
        return values.error();
    }
    if (valueIndex >= values->size()) {
        return makeError(ErrorCode::Invalid, "no such pushed value");
    }
    ByteWriter p(push.payload.size() + text.size() + 2);
    for (std::size_t i = 0; i < values->size(); ++i) {
        const PushValue& v = (*values)[i];
        if (i == valueIndex) {
            p.u8(0);
            p.cstring(withoutNul(text));
        } else {
            p.bytes(push.payload.subspan(v.offset, v.size));
        }
    }
    return record(actioncode::Push, p.take());
}

Result<Bytes> replaceBlocks(ByteView payload, std::vector<BlockReplacement> replacements) {
    std::sort(replacements.begin(), replacements.end(),
              [](const BlockReplacement& a, const BlockReplacement& b) { return a.block.begin < b.block.begin; });
    Bytes out;
    out.reserve(payload.size() + 256);
    std::size_t pos = 0;
    struct Patch {
        std::size_t at; // offset in the output
        ActionBlock::SizeField field;
        std::int64_t delta;
    };
    std::vector<Patch> patches;
    std::int64_t shift = 0;
    for (const BlockReplacement& rep : replacements) {
        if (rep.block.begin < pos || rep.block.end > payload.size() || rep.block.begin > rep.block.end) {
            return makeError(ErrorCode::Invalid, "action blocks overlap");
        }
        if (rep.block.sizeField != ActionBlock::SizeField::None) {
            // Size fields lie before their block, so their output position is known now.
            patches.push_back(Patch{static_cast<std::size_t>(static_cast<std::int64_t>(rep.block.sizeFieldAt) + shift),
                                    rep.block.sizeField,
                                    static_cast<std::int64_t>(rep.bytes.size()) -
                                        static_cast<std::int64_t>(rep.block.end - rep.block.begin)});
        }
        out.insert(out.end(), payload.begin() + static_cast<std::ptrdiff_t>(pos),
                   payload.begin() + static_cast<std::ptrdiff_t>(rep.block.begin));
        out.insert(out.end(), rep.bytes.begin(), rep.bytes.end());
        shift +=
            static_cast<std::int64_t>(rep.bytes.size()) - static_cast<std::int64_t>(rep.block.end - rep.block.begin);
        pos = rep.block.end;
    }
    out.insert(out.end(), payload.begin() + static_cast<std::ptrdiff_t>(pos), payload.end());
    for (const Patch& patch : patches) {
        if (patch.field == ActionBlock::SizeField::U16) {
            std::int64_t v = readU16(out.data() + patch.at) + patch.delta;
            if (v < 4 || v > 0xFFFF) {
                return makeError(ErrorCode::TooLarge, "a button condition would be longer than 65535 bytes");
            }
            putU16(out.data() + patch.at, static_cast<std::uint16_t>(v));
        } else {
            std::int64_t v = static_cast<std::int64_t>(readU32(out.data() + patch.at)) + patch.delta;
            if (v < 0 || v > static_cast<std::int64_t>(UINT32_MAX)) {
                return makeError(ErrorCode::TooLarge, "a clip action record's size is out of range");
            }
            putU32(out.data() + patch.at, static_cast<std::uint32_t>(v));
        }
    }
    return out;
}

} // namespace glw::swf
