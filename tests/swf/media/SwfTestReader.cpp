// The tests' strict SWF reader.
#include "swf/media/SwfTestReader.h"

#include <algorithm>
#include <set>
#include <zlib.h>

namespace glw::tests {

void Reader::need(std::size_t n) const {
    if (n > m_bytes.size() - m_pos) {
        throw std::runtime_error("read of " + std::to_string(n) + " bytes at " + std::to_string(m_pos) +
                                 " runs past the end (" + std::to_string(m_bytes.size()) + ")");
    }
}

std::uint8_t Reader::u8() {
    align();
    need(1);
    return m_bytes[m_pos++];
}

std::uint16_t Reader::u16() {
    const std::uint16_t lo = u8();
    return static_cast<std::uint16_t>(lo | (u8() << 8));
}

std::uint32_t Reader::u32() {
    const std::uint32_t lo = u16();
    return lo | (static_cast<std::uint32_t>(u16()) << 16);
}

std::uint32_t Reader::ub(int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) {
        need(1);
        const int bit = (m_bytes[m_pos] >> (7 - m_bit)) & 1;
        v = (v << 1) | static_cast<std::uint32_t>(bit);
        if (++m_bit == 8) {
            m_bit = 0;
            ++m_pos;
        }
    }
    return v;
}

std::int32_t Reader::sb(int n) {
    if (n == 0) {
        return 0;
    }
    const std::uint32_t v = ub(n);
    const std::uint32_t sign = 1U << (n - 1);
    return static_cast<std::int32_t>((v ^ sign) - sign);
}

std::string Reader::string() {
    align();
    std::string out;
    for (;;) {
        const std::uint8_t c = u8();
        if (c == 0) {
            return out;
        }
        out.push_back(static_cast<char>(c));
    }
}

std::span<const std::uint8_t> Reader::bytes(std::size_t n) {
    align();
    need(n);
    auto out = m_bytes.subspan(m_pos, n);
    m_pos += n;
    return out;
}

RectView readRect(Reader& r) {
    r.align();
    const int bits = static_cast<int>(r.ub(5));
    RectView v;
    v.xMin = r.sb(bits);
    v.xMax = r.sb(bits);
    v.yMin = r.sb(bits);
    v.yMax = r.sb(bits);
    r.align();
    return v;
}

void readMatrix(Reader& r) {
    r.align();
    if (r.ub(1)) {
        const int bits = static_cast<int>(r.ub(5));
        r.sb(bits);
        r.sb(bits);
    }
    if (r.ub(1)) {
        const int bits = static_cast<int>(r.ub(5));
        r.sb(bits);
        r.sb(bits);
    }
    const int bits = static_cast<int>(r.ub(5));
    r.sb(bits);
    r.sb(bits);
    r.align();
}

std::vector<TagView> readTags(std::span<const std::uint8_t> data) {
    Reader r(data);
    std::vector<TagView> tags;
    for (;;) {
        if (r.atEnd()) {
            throw std::runtime_error("tags end without an End tag");
        }
        const std::uint16_t header = r.u16();
        TagView t;
        t.code = static_cast<std::uint16_t>(header >> 6);
        std::uint32_t length = header & 0x3F;
        if (length == 0x3F) {
            t.longHeader = true;
            length = r.u32();
        }
        t.body = r.bytes(length);
        tags.push_back(t);
        if (t.code == 0) {
            if (!r.atEnd()) {
                throw std::runtime_error(std::to_string(r.remaining()) + " bytes after the End tag");
            }
            return tags;
        }
    }
}

MovieView readMovie(std::span<const std::uint8_t> file) {
    Reader r(file);
    MovieView m;
    m.signature = static_cast<char>(r.u8());
    if (r.u8() != 'W' || r.u8() != 'S' || (m.signature != 'F' && m.signature != 'C')) {
        throw std::runtime_error("not an FWS or CWS movie");
    }
    m.version = r.u8();
    m.fileLength = r.u32();
    if (m.fileLength < 8) {
        throw std::runtime_error("file length below the header size");
    }
    const auto rest = r.bytes(r.remaining());
    if (m.signature == 'F') {
        m.body.assign(rest.begin(), rest.end());
    } else {
        m.body.resize(m.fileLength - 8);
        uLongf size = static_cast<uLongf>(m.body.size());
        if (uncompress(m.body.data(), &size, rest.data(), static_cast<uLong>(rest.size())) != Z_OK ||
            size != m.body.size()) {
            throw std::runtime_error("zlib body does not inflate to FileLength - 8 bytes");
        }
    }
    if (m.body.size() + 8 != m.fileLength) {
        throw std::runtime_error("FileLength " + std::to_string(m.fileLength) + " but the file holds " +
                                 std::to_string(m.body.size() + 8));
    }
    Reader b(m.body);
    m.frame = readRect(b);
    m.frameRate = b.u16();
    m.frameCount = b.u16();
    m.tags = readTags(std::span<const std::uint8_t>(m.body).subspan(b.position()));
    return m;
}

ShapeView readShapeRecords(Reader& r, int fillBits, int lineBits) {
    ShapeView v;
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool first = true;
    std::vector<std::pair<std::int32_t, std::int32_t>>* contour = nullptr;
    for (;;) {
        if (r.ub(1) == 0) { // style change or end
            const std::uint32_t flags = r.ub(5);
            if (flags == 0) {
                r.align();
                return v;
            }
            const bool newStyles = flags & 0x10;
            const bool line = flags & 0x08;
            const bool fill1 = flags & 0x04;
            const bool fill0 = flags & 0x02;
            const bool move = flags & 0x01;
            if (newStyles) {
                throw std::runtime_error("new styles inside a shape are not written by our tools");
            }
            if (move) {
                const int bits = static_cast<int>(r.ub(5));
                x = r.sb(bits);
                y = r.sb(bits);
                v.contours.emplace_back();
                contour = &v.contours.back();
                contour->emplace_back(x, y);
                v.paths.emplace_back();
                v.paths.back().emplace_back(x, y);
            }
            std::uint32_t f0 = 0;
            if (fill0) {
                f0 = r.ub(fillBits);
            }
            if (fill1) {
                r.ub(fillBits);
            }
            if (line) {
                r.ub(lineBits);
            }
            if (first) {
                v.firstFill0Is1 = fill0 && f0 == 1;
                first = false;
            }
            continue;
        }
        if (contour == nullptr) {
            throw std::runtime_error("an edge before any move");
        }
        const bool straight = r.ub(1);
        const int bits = static_cast<int>(r.ub(4)) + 2;
        auto& path = v.paths.back();
        if (straight) {
            if (r.ub(1)) {
                x += r.sb(bits);
                y += r.sb(bits);
            } else if (r.ub(1)) {
                y += r.sb(bits);
            } else {
                x += r.sb(bits);
            }
        } else {
            const double x0 = x, y0 = y;
            x += r.sb(bits);
            y += r.sb(bits);
            const double cx = x, cy = y;
            x += r.sb(bits);
            y += r.sb(bits);
            constexpr int kSteps = 8;
            for (int i = 1; i < kSteps; ++i) {
                const double t = double(i) / kSteps, u = 1 - t;
                path.emplace_back(u * u * x0 + 2 * u * t * cx + t * t * x, u * u * y0 + 2 * u * t * cy + t * t * y);
            }
            ++v.curves;
        }
        ++v.edges;
        contour->emplace_back(x, y);
        path.emplace_back(x, y);
    }
}

ShapeView readGlyphShape(std::span<const std::uint8_t> shape) {
    Reader r(shape);
    const int fillBits = static_cast<int>(r.ub(4));
    const int lineBits = static_cast<int>(r.ub(4));
    ShapeView v = readShapeRecords(r, fillBits, lineBits);
    if (!r.atEnd()) {
        throw std::runtime_error("bytes after the end-of-shape record");
    }
    return v;
}

std::vector<std::string> readActions(std::span<const std::uint8_t> actions) {
    Reader r(actions);
    std::set<std::size_t> starts;
    std::vector<std::pair<std::size_t, std::int32_t>> branches; // target offsets
    std::vector<std::string> urls;
    for (;;) {
        const std::size_t start = r.position();
        starts.insert(start);
        const std::uint8_t code = r.u8();
        if (code == 0) {
            break;
        }
        if (code < 0x80) {
            continue;
        }
        const std::uint16_t length = r.u16();
        Reader payload(r.bytes(length));
        const std::size_t end = r.position();
        if (code == 0x83) {
            urls.push_back(payload.string());
            payload.string();
        } else if (code == 0x99 || code == 0x9D) {
            branches.emplace_back(end, payload.s16());
        } else if (code == 0x96) {
            while (!payload.atEnd()) {
                const std::uint8_t type = payload.u8();
                if (type == 0) {
                    payload.string();
                } else if (type == 7) {
                    payload.u32();
                } else {
                    throw std::runtime_error("push of a type our tools do not write");
                }
            }
        } else {
            payload.bytes(payload.remaining());
        }
        if (!payload.atEnd()) {
            throw std::runtime_error("action record longer than its fields");
        }
    }
    if (!r.atEnd()) {
        throw std::runtime_error("bytes after the end of actions");
    }
    for (const auto& [from, offset] : branches) {
        const auto target = static_cast<std::int64_t>(from) + offset;
        if (target < 0 || !starts.count(static_cast<std::size_t>(target))) {
            throw std::runtime_error("branch lands inside a record");
        }
    }
    return urls;
}

std::vector<std::string> scriptOf(std::span<const std::uint8_t> actions) {
    Reader r(actions);
    std::vector<std::string> stack;
    std::vector<std::string> dropped;
    auto pop = [&stack] {
        if (stack.empty()) {
            throw std::runtime_error("an action pops more values than were pushed");
        }
        std::string value = std::move(stack.back());
        stack.pop_back();
        return value;
    };
    // Names are pushed as strings; the script shows them bare.
    auto popName = [&pop] {
        const std::string name = pop();
        if (name.size() < 2 || name.front() != '"' || name.back() != '"') {
            throw std::runtime_error("a name that is not a string: " + name);
        }
        return name.substr(1, name.size() - 2);
    };
    auto popCount = [&pop] {
        const std::string count = pop();
        if (count.empty() || count.find_first_not_of("0123456789") != std::string::npos) {
            throw std::runtime_error("a count that is not a whole number: " + count);
        }
        return std::stoi(count);
    };
    // Arguments: the first popped is the first argument.
    auto popArguments = [&pop](int count) {
        std::string list;
        for (int i = 0; i < count; ++i) {
            list += (i ? ", " : "") + pop();
        }
        return list;
    };
    for (;;) {
        const std::uint8_t code = r.u8();
        if (code == 0) {
            break;
        }
        switch (code) {
        case 0x96: {
            Reader payload(r.bytes(r.u16()));
            while (!payload.atEnd()) {
                const std::uint8_t type = payload.u8();
                if (type == 0) {
                    stack.push_back('"' + payload.string() + '"');
                } else if (type == 7) {
                    stack.push_back(std::to_string(static_cast<std::int32_t>(payload.u32())));
                } else {
                    throw std::runtime_error("push of a type our tools do not write");
                }
            }
            break;
        }
        case 0x1C: // GetVariable
            stack.push_back(popName());
            break;
        case 0x61: { // BitOr
            const std::string right = pop();
            stack.push_back(pop() + " | " + right);
            break;
        }
        case 0x43: { // InitObject: value, then name, for each property from the last
            std::vector<std::string> properties(static_cast<std::size_t>(popCount()));
            for (auto it = properties.rbegin(); it != properties.rend(); ++it) {
                const std::string value = pop();
                *it = popName() + ": " + value;
            }
            std::string object;
            for (const std::string& p : properties) {
                object += (object.empty() ? "" : ", ") + p;
            }
            stack.push_back("{" + object + "}");
            break;
        }
        case 0x40: { // NewObject: class name, argument count, arguments
            const std::string name = popName();
            const int count = popCount();
            stack.push_back("new " + name + "(" + popArguments(count) + ")");
            break;
        }
        case 0x52: { // CallMethod: method name, object, argument count, arguments
            const std::string method = popName();
            const std::string object = pop();
            const int count = popCount();
            stack.push_back(object + "." + method + "(" + popArguments(count) + ")");
            break;
        }
        case 0x17: // Pop
            dropped.push_back(pop());
            break;
        default:
            throw std::runtime_error("an action the script reader does not follow: " + std::to_string(code));
        }
    }
    if (!r.atEnd() || !stack.empty()) {
        throw std::runtime_error("values or bytes left after the end of actions");
    }
    return dropped;
}

} // namespace glw::tests
