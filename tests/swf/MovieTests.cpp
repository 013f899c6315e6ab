// Reading and writing movies: containers, byte-exact round trips, tolerated and refused input,
// awkward I/O, header reading, and the real movies of the corpus.
#include "SwfFixtures.h"
#include "swf/Header.h"
#include "swf/Movie.h"

#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace glw::swf {
namespace {

namespace fx = fixtures;

std::shared_ptr<const Bytes> shared(const Bytes& b) {
    return std::make_shared<const Bytes>(b);
}

Bytes bodyOf(const Bytes& file) {
    Result<Container> c = decodeContainer(shared(file));
    EXPECT_TRUE(c.ok()) << (c ? "" : c.error().detail);
    return c ? Bytes(c->body.begin(), c->body.end()) : Bytes{};
}

// A movie with some of everything the reader keeps raw: short and long headers for short tags, a
// sprite with its own tags, action code.
Bytes sampleTags() {
    return fx::cat({fx::backgroundColor(), fx::tag(TagCode::FrameLabel, {'f', 'r', 0}, true),
                    fx::defineSprite(5, {fx::placeObject2(1, 4, fx::matrix(20, 40)), fx::doAction({fx::stop()})}),
                    fx::placeObject2(1, 5, fx::matrix(100, 100)), fx::doAction({fx::getUrl("http://a.example/")}),
                    fx::showFrame(), fx::endTag()});
}

struct ContainerCase {
    const char* name;
    fx::Container container;
    std::uint8_t version;
};

class SwfRoundTrip : public ::testing::TestWithParam<ContainerCase> {};

TEST_P(SwfRoundTrip, UnchangedMovieComesBackAsItWas) {
    fx::MovieSpec spec;
    spec.container = GetParam().container;
    spec.version = GetParam().version;
    spec.tags = sampleTags();
    Bytes file = fx::buildMovie(spec);

    Result<Movie> movie = readMovie(shared(file));
    ASSERT_TRUE(movie.ok()) << movie.error().detail;
    EXPECT_EQ(movie->version, spec.version);
    EXPECT_EQ(movie->frame.xMax, 11000);
    ASSERT_EQ(movie->tags.size(), 7u);
    ASSERT_TRUE(movie->tags[2].isSprite());
    EXPECT_EQ(movie->tags[2].children().size(), 4u);

    Result<Bytes> same = encodeMovie(*movie);
    ASSERT_TRUE(same.ok());
    EXPECT_EQ(*same, file);

    // Encoded afresh (not reusing the stored stream): identical bytes for FWS, identical body else.
    Result<Bytes> fresh = encodeMovie(*movie, WriteOptions{false});
    ASSERT_TRUE(fresh.ok());
    if (spec.container == fx::Container::Fws) {
        EXPECT_EQ(*fresh, file);
    }
    EXPECT_EQ(bodyOf(*fresh), fx::movieBody(spec));
    EXPECT_EQ(Bytes(fresh->begin(), fresh->begin() + 4), Bytes(file.begin(), file.begin() + 4));
}

INSTANTIATE_TEST_SUITE_P(Containers, SwfRoundTrip,
                         ::testing::Values(ContainerCase{"fws_v1", fx::Container::Fws, 1},
                                           ContainerCase{"fws_v10", fx::Container::Fws, 10},
                                           ContainerCase{"cws_v6", fx::Container::Cws, 6},
                                           ContainerCase{"cws_v32", fx::Container::Cws, 32},
                                           ContainerCase{"zws_v13", fx::Container::Zws, 13},
                                           ContainerCase{"zws_v40", fx::Container::Zws, 40}),
                         [](const auto& tc) { return std::string(tc.param.name); });

TEST(SwfMovieWriter, EditedSpriteChildKeepsEveryOtherTagsHeaderForm) {
    fx::MovieSpec spec;
    spec.tags = sampleTags();
    Result<Movie> movie = readMovie(shared(fx::buildMovie(spec)));
    ASSERT_TRUE(movie.ok());
    Tag& sprite = movie->tags[2];
    sprite.children()[1].setPayload({0x06, 0x00}); // play instead of stop
    Result<Bytes> out = encodeMovie(*movie);
    ASSERT_TRUE(out.ok());

    fx::MovieSpec expected;
    expected.tags =
        fx::cat({fx::backgroundColor(), fx::tag(TagCode::FrameLabel, {'f', 'r', 0}, true),
                 fx::defineSprite(5, {fx::placeObject2(1, 4, fx::matrix(20, 40)), fx::doAction({fx::play()})}),
                 fx::placeObject2(1, 5, fx::matrix(100, 100)), fx::doAction({fx::getUrl("http://a.example/")}),
                 fx::showFrame(), fx::endTag()});
    EXPECT_EQ(*out, fx::buildMovie(expected));
}

TEST(SwfMovieWriter, GrowingShortTagTakesTheLongHeader) {
    Result<Movie> movie = readMovie(shared(fx::movieWith({fx::tag(TagCode::FrameLabel, {'a', 0})})));
    ASSERT_TRUE(movie.ok());
    movie->tags[1].setPayload(Bytes(100, 'x'));
    Result<Bytes> out = encodeMovie(*movie);
    ASSERT_TRUE(out.ok());
    Result<Movie> again = readMovie(shared(*out));
    ASSERT_TRUE(again.ok());
    EXPECT_TRUE(again->tags[1].longHeader());
    EXPECT_EQ(again->tags[1].payload().size(), 100u);
}

TEST(SwfMovieWriter, LzmaWithoutEndMarkerReadsBackExactly) {
    // Found by fuzzing: decoding a stream that has no end marker without its stated size ran on
    // past the real end and invented a byte.
    for (std::size_t n : {std::size_t{1053}, std::size_t{5000}, std::size_t{70000}}) {
        Bytes body(n);
        std::uint32_t seed = static_cast<std::uint32_t>(n);
        for (std::uint8_t& b : body) {
            seed = seed * 1103515245u + 12345u;
            b = static_cast<std::uint8_t>((seed >> 28) & 3);
        }
        MemorySink sink;
        ASSERT_TRUE(writeContainer(Compression::Lzma, 13, body, sink).ok());
        Result<Container> c = decodeContainer(shared(sink.bytes()));
        ASSERT_TRUE(c.ok());
        EXPECT_EQ(Bytes(c->body.begin(), c->body.end()), body) << n;
    }
}

// Faults real movies have that the player accepts: the movie loads and saves.
struct TolerableCase {
    const char* name;
    fx::MovieSpec spec;
    std::size_t tags;
};

std::vector<TolerableCase> tolerableCases() {
    std::vector<TolerableCase> cases;
    fx::MovieSpec base;
    base.tags = fx::cat({fx::backgroundColor(), fx::showFrame(), fx::endTag()});
    {
        TolerableCase c{"wrong_frame_count", base, 3};
        c.spec.frameCount = 900;
        cases.push_back(c);
    }
    {
        TolerableCase c{"file_length_too_small", base, 3};
        c.spec.fileLength = 12;
        cases.push_back(c);
    }
    {
        TolerableCase c{"file_length_too_large", base, 3};
        c.spec.fileLength = 1u << 30;
        cases.push_back(c);
    }
    {
        TolerableCase c{"compressed_length_too_small", base, 3};
        c.spec.container = fx::Container::Cws;
        c.spec.fileLength = 9;
        cases.push_back(c);
    }
    {
        TolerableCase c{"lzma_length_far_too_large", base, 3};
        c.spec.container = fx::Container::Zws;
        c.spec.fileLength = 0xFFFFFFFF;
        cases.push_back(c);
    }
    {
        TolerableCase c{"trailing_bytes", base, 3};
        fx::append(c.spec.tags, Bytes{1, 2, 3, 4, 5});
        cases.push_back(c);
    }
    {
        TolerableCase c{"no_end_tag", base, 2};
        c.spec.tags = fx::cat({fx::backgroundColor(), fx::showFrame()});
        cases.push_back(c);
    }
    {
        TolerableCase c{"negative_stage_origin", base, 3};
        c.spec.frame = fx::rect(-2000, 9000, -400, 7600);
        cases.push_back(c);
    }
    return cases;
}

class SwfTolerated : public ::testing::TestWithParam<TolerableCase> {};

TEST_P(SwfTolerated, LoadsAndSavesWithTheBodyKept) {
    const TolerableCase& c = GetParam();
    Bytes file = fx::buildMovie(c.spec);
    Result<Movie> movie = readMovie(shared(file));
    ASSERT_TRUE(movie.ok()) << movie.error().detail;
    EXPECT_EQ(movie->tags.size(), c.tags);
    Result<Bytes> out = encodeMovie(*movie);
    ASSERT_TRUE(out.ok());
    // FileLength is recomputed; the frame count stays as the movie states it.
    EXPECT_EQ(readU32(out->data() + 4), 8 + fx::movieBody(c.spec).size());
    EXPECT_EQ(bodyOf(*out), fx::movieBody(c.spec));
}

INSTANTIATE_TEST_SUITE_P(RealWorldFaults, SwfTolerated, ::testing::ValuesIn(tolerableCases()),
                         [](const auto& tc) { return std::string(tc.param.name); });

// Input that is truly broken or hostile: a status, never a crash, a hang or a huge allocation.
// The bytes are made when the case runs: some are large, and test discovery should stay quick.
struct HostileCase {
    const char* name;
    std::function<Bytes()> file;
    ErrorCode code;
};

Bytes nestedSprites(int depth) {
    Bytes inner = fx::endTag();
    for (int i = 0; i < depth; ++i) {
        Bytes p;
        fx::u16(p, static_cast<unsigned>(i + 1));
        fx::u16(p, 1);
        fx::append(p, inner);
        inner = fx::tag(TagCode::DefineSprite, p, true);
    }
    fx::MovieSpec spec;
    spec.tags = fx::cat({inner, fx::endTag()});
    return fx::buildMovie(spec);
}

Bytes bomb(fx::Container container) {
    fx::MovieSpec spec;
    spec.container = container;
    Bytes huge = fx::cat({fx::backgroundColor()});
    fx::append(huge, fx::tag(TagCode::Metadata, Bytes(24u << 20, 0), true)); // 24 MiB of zeros in one tag
    spec.tags = huge;
    spec.fileLength = 100; // what the header claims
    return fx::buildMovie(spec);
}

constexpr std::uint32_t kGiB = 1u << 30;

// A 1 MB CWS that declares 1 GiB: its zlib stream is one 1 MiB run of zeros, flushed so that it
// stands alone, repeated 1024 times (it inflates to 1 GiB).
Bytes zlibGigabyteBomb() {
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    Bytes zeros(1u << 20, 0);
    Bytes segment(compressBound(static_cast<uLong>(zeros.size())));
    z.next_in = zeros.data();
    z.avail_in = static_cast<uInt>(zeros.size());
    z.next_out = segment.data();
    z.avail_out = static_cast<uInt>(segment.size());
    deflate(&z, Z_FULL_FLUSH);
    segment.resize(segment.size() - z.avail_out);
    deflateEnd(&z);
    Bytes file = {'C', 'W', 'S', 10};
    fx::u32(file, kGiB);
    fx::append(file, {0x78, 0xDA});
    for (int i = 0; i < 1024; ++i) {
        fx::append(file, segment);
    }
    return file;
}

// A ZWS of about 90 KB that declares 1 GiB and asks for a 4 GiB LZMA window: 520 MiB of zeros,
// encoded without an end marker. Encoding takes seconds, so the file is made once per build tree.
Bytes lzmaGigabyteBomb() {
    std::filesystem::path cached = std::filesystem::path(GLW_BINARY_DIR) / "test-fixtures" / "zws-1gib-bomb.swf";
    if (std::filesystem::exists(cached)) {
        return fx::readFile(cached.string());
    }
    lzma_options_lzma opt;
    lzma_lzma_preset(&opt, 0);
    lzma_stream s = LZMA_STREAM_INIT;
    if (lzma_alone_encoder(&s, &opt) != LZMA_OK) {
        return {};
    }
    Bytes zeros(1u << 20, 0);
    Bytes packed;
    Bytes chunk(1u << 16);
    for (int i = 0; i <= 520; ++i) {
        bool last = i == 520;
        s.next_in = zeros.data();
        s.avail_in = last ? 0 : zeros.size();
        lzma_ret rc = LZMA_OK;
        do {
            s.next_out = chunk.data();
            s.avail_out = chunk.size();
            rc = lzma_code(&s, last ? LZMA_FINISH : LZMA_RUN);
            packed.insert(packed.end(), chunk.begin(), chunk.end() - static_cast<std::ptrdiff_t>(s.avail_out));
        } while (rc == LZMA_OK && (s.avail_in > 0 || s.avail_out == 0 || (last && rc != LZMA_STREAM_END)));
    }
    lzma_end(&s);
    // .lzma header: 5 property bytes and an 8-byte size; the movie keeps the properties.
    Bytes props(packed.begin(), packed.begin() + 5);
    props[1] = props[2] = props[3] = props[4] = 0xFF;
    Bytes file = {'Z', 'W', 'S', 13};
    fx::u32(file, kGiB);
    fx::u32(file, static_cast<std::uint32_t>(packed.size() - 13));
    fx::append(file, props);
    file.insert(file.end(), packed.begin() + 13, packed.end());
    std::filesystem::create_directories(cached.parent_path());
    std::string partial = cached.string() + "." + std::to_string(getpid());
    fx::writeFile(partial, file);
    std::filesystem::rename(partial, cached);
    return file;
}

Bytes withDictionary(std::uint32_t dict) {
    fx::MovieSpec spec;
    spec.container = fx::Container::Zws;
    spec.tags = fx::cat({fx::backgroundColor(), fx::endTag()});
    Bytes file = fx::buildMovie(spec);
    putU32(file.data() + 13, dict); // the dictionary size of the LZMA properties
    return file;
}

std::vector<HostileCase> hostileCases() {
    std::vector<HostileCase> cases;
    Bytes good = fx::movieWith({fx::doAction({fx::stop()})});
    auto bytes = [](Bytes b) { return [b] { return b; }; };
    cases.push_back({"empty_file", bytes({}), ErrorCode::Truncated});
    cases.push_back({"not_a_movie", bytes({'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0}), ErrorCode::Malformed});
    cases.push_back({"header_cut_short", bytes(Bytes(good.begin(), good.begin() + 6)), ErrorCode::Truncated});
    cases.push_back({"frame_rect_cut_short", bytes(Bytes(good.begin(), good.begin() + 11)), ErrorCode::Truncated});
    {
        Bytes b = good;
        b.resize(b.size() - 6); // the DoAction's payload runs past the end
        cases.push_back({"tag_cut_short", bytes(b), ErrorCode::Truncated});
    }
    {
        fx::MovieSpec spec;
        spec.tags = fx::cat({fx::backgroundColor()});
        fx::u16(spec.tags, (12 << 6) | 0x3F);
        fx::u32(spec.tags, 0xFFFFFFF0u); // a declared length far past the end
        fx::append(spec.tags, Bytes(10, 0));
        cases.push_back({"declared_length_past_end", bytes(fx::buildMovie(spec)), ErrorCode::Truncated});
    }
    {
        fx::MovieSpec spec;
        spec.tags = fx::cat({fx::backgroundColor()});
        fx::u16(spec.tags, (12 << 6) | 0x3F);
        fx::u16(spec.tags, 0); // long header cut after two of its four length bytes
        cases.push_back({"long_header_cut_short", bytes(fx::buildMovie(spec)), ErrorCode::Truncated});
    }
    {
        Bytes p;
        fx::u16(p, 1);
        fx::u16(p, 1);
        fx::append(p, fx::tag(TagCode::DoAction, Bytes(50, 0), true));
        p.resize(p.size() - 20); // child runs past its sprite
        fx::MovieSpec spec;
        spec.tags = fx::cat({fx::tag(TagCode::DefineSprite, p, true), fx::endTag()});
        cases.push_back({"sprite_child_past_sprite", bytes(fx::buildMovie(spec)), ErrorCode::Truncated});
    }
    cases.push_back({"sprites_nested_too_deep", [] { return nestedSprites(40); }, ErrorCode::TooLarge});
    cases.push_back({"zlib_bomb", [] { return bomb(fx::Container::Cws); }, ErrorCode::TooLarge});
    cases.push_back({"lzma_bomb", [] { return bomb(fx::Container::Zws); }, ErrorCode::TooLarge});
    cases.push_back({"zlib_bomb_declaring_1_gib", zlibGigabyteBomb, ErrorCode::TooLarge});
    cases.push_back({"lzma_bomb_declaring_1_gib", lzmaGigabyteBomb, ErrorCode::TooLarge});
    {
        Bytes b = fx::movieWith({}, 10, fx::Container::Cws);
        b[8] ^= 0xFF; // the zlib header itself
        cases.push_back({"zlib_damaged_at_start", bytes(b), ErrorCode::Malformed});
    }
    {
        Bytes b = fx::movieWith({}, 13, fx::Container::Zws);
        b[12] = 0xFF; // lc/lp/pb out of range
        cases.push_back({"lzma_properties_invalid", bytes(b), ErrorCode::Malformed});
    }
    return cases;
}

class SwfRefused : public ::testing::TestWithParam<HostileCase> {};

TEST_P(SwfRefused, GivesAStatus) {
    Result<Movie> movie = readMovie(shared(GetParam().file()));
    ASSERT_FALSE(movie.ok());
    EXPECT_EQ(movie.error().code, GetParam().code) << movie.error().detail;
    EXPECT_FALSE(movie.error().detail.empty());
}

INSTANTIATE_TEST_SUITE_P(BrokenAndHostile, SwfRefused, ::testing::ValuesIn(hostileCases()),
                         [](const auto& tc) { return std::string(tc.param.name); });

// Bytes of the process's memory counter `field` in /proc/self/status (VmRSS, VmHWM).
std::size_t statusBytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0 && line[std::strlen(field)] == ':') {
            return std::stoull(line.substr(std::strlen(field) + 1)) * 1024;
        }
    }
    return 0;
}

// How far the resident memory of a child process rises above where it started while it reads
// `file`; the test process's own memory does not blur it. SIZE_MAX when the child fails.
std::size_t peakRiseWhileReading(const Bytes& file, bool& refused) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        return SIZE_MAX;
    }
    pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        std::ofstream("/proc/self/clear_refs") << "5"; // the high-water mark starts from here
        std::size_t before = statusBytes("VmRSS");
        bool failed = !readMovie(shared(file)).ok();
        std::size_t report[2] = {statusBytes("VmHWM") - before, failed ? 1u : 0u};
        ssize_t written = write(pipeEnds[1], report, sizeof report);
        _exit(written == sizeof report ? 0 : 1);
    }
    close(pipeEnds[1]);
    std::size_t report[2] = {SIZE_MAX, 0};
    bool received = read(pipeEnds[0], report, sizeof report) == sizeof report;
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    refused = report[1] == 1;
    return received && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? report[0] : SIZE_MAX;
}

// The two bombs of the hostile table, measured: refusing them costs no more than the bound on a
// movie's size (plus, for LZMA, the decoder's capped window) and a small margin.
TEST(SwfMovieReader, BombsStayUnderTheSizeBound) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator keeps its own memory";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    GTEST_SKIP() << "the sanitizer's allocator keeps its own memory";
#endif
#endif
    const ReadLimits limits;
    const std::size_t margin = std::size_t{16} << 20;
    struct Bomb {
        const char* name;
        Bytes file;
        std::size_t allowed;
    };
    for (const Bomb& b : {Bomb{"cws", zlibGigabyteBomb(), limits.maxBodyBytes + margin},
                          Bomb{"zws", lzmaGigabyteBomb(), limits.maxBodyBytes + limits.maxLzmaDictionary + margin}}) {
        SCOPED_TRACE(b.name);
        bool refused = false;
        std::size_t rise = peakRiseWhileReading(b.file, refused);
        ASSERT_NE(rise, SIZE_MAX);
        EXPECT_TRUE(refused);
        EXPECT_LE(rise, b.allowed) << "peak rise " << (rise >> 20) << " MiB";
        EXPECT_GT(rise, limits.maxBodyBytes / 2); // the stream was inflated up to the bound
    }
}

TEST(SwfMovieReader, HostileLzmaDictionarySizeDoesNotReserveIt) {
    // A 4 GiB dictionary in the properties of a tiny movie: decoded with a dictionary no larger
    // than the output can be.
    Result<Movie> movie = readMovie(shared(withDictionary(0xFFFFFFFF)));
    ASSERT_TRUE(movie.ok()) << movie.error().detail;
    EXPECT_EQ(movie->tags.size(), 2u);
}

TEST(SwfMovieReader, SpritesNestedUpToTheLimitLoad) {
    Result<Movie> movie = readMovie(shared(nestedSprites(32)));
    ASSERT_TRUE(movie.ok()) << movie.error().detail;
}

// Delivers a file in pieces of 1 to 7 bytes.
class DribbleSource : public ByteSource {
public:
    explicit DribbleSource(const Bytes& b) : m_bytes(b) {}
    Result<std::size_t> read(std::span<std::uint8_t> into) override {
        std::size_t n = std::min({into.size(), m_bytes.size() - m_pos, std::size_t{1} + (m_calls++ % 7)});
        std::copy_n(m_bytes.data() + m_pos, n, into.data());
        m_pos += n;
        return n;
    }

private:
    const Bytes& m_bytes;
    std::size_t m_pos = 0;
    std::size_t m_calls = 0;
};

class FailingSource : public ByteSource {
public:
    Result<std::size_t> read(std::span<std::uint8_t> into) override {
        if (m_calls++ == 3) {
            return makeError(ErrorCode::Io, "device gone");
        }
        into[0] = 'F';
        return std::size_t{1};
    }

private:
    int m_calls = 0;
};

// Accepts `budget` bytes, then fails.
class FailingSink : public ByteSink {
public:
    FailingSink(ByteSink& inner, std::size_t budget) : m_inner(inner), m_budget(budget) {}
    Result<void> write(ByteView bytes) override {
        if (bytes.size() > m_budget) {
            (void)m_inner.write(bytes.first(m_budget));
            m_budget = 0;
            return makeError(ErrorCode::Io, "disk full");
        }
        m_budget -= bytes.size();
        return m_inner.write(bytes);
    }

private:
    ByteSink& m_inner;
    std::size_t m_budget;
};

TEST(SwfMovieIo, ReaderDeliveringAwkwardPiecesGivesTheSameMovie) {
    for (fx::Container c : {fx::Container::Fws, fx::Container::Cws, fx::Container::Zws}) {
        Bytes file = fx::movieWith({fx::doAction({fx::getUrl("http://x.example/")})}, 13, c);
        DribbleSource source(file);
        Result<Movie> movie = readMovie(source);
        ASSERT_TRUE(movie.ok()) << movie.error().detail;
        Result<Bytes> out = encodeMovie(*movie);
        ASSERT_TRUE(out.ok());
        EXPECT_EQ(*out, file);
    }
}

TEST(SwfMovieIo, ReadFailureIsReported) {
    FailingSource source;
    Result<Movie> movie = readMovie(source);
    ASSERT_FALSE(movie.ok());
    EXPECT_EQ(movie.error().code, ErrorCode::Io);
}

TEST(SwfMovieIo, OversizedInputIsRefusedWhileReading) {
    Bytes file = fx::movieWith({fx::tag(TagCode::Metadata, Bytes(5000, 'x'), true)});
    DribbleSource source(file);
    ReadLimits limits;
    limits.maxFileBytes = 1000;
    Result<Movie> movie = readMovie(source, limits);
    ASSERT_FALSE(movie.ok());
    EXPECT_EQ(movie.error().code, ErrorCode::TooLarge);
}

TEST(SwfMovieIo, WriterFailingMidwayLeavesTheTargetAsItWas) {
    fx::TempDir dir;
    std::string target = dir.file("out.swf");
    fx::writeFile(target, Bytes{'o', 'l', 'd'});
    for (fx::Container c : {fx::Container::Fws, fx::Container::Cws, fx::Container::Zws}) {
        Result<Movie> movie =
            readMovie(shared(fx::movieWith({fx::tag(TagCode::Metadata, Bytes(3000, 'x'), true)}, 13, c)));
        ASSERT_TRUE(movie.ok());
        // Noise, so that the compressed movies stay larger than the budgets below.
        Bytes noise(3000);
        std::uint32_t seed = 12345;
        for (std::uint8_t& b : noise) {
            seed = seed * 1103515245u + 12345u;
            b = static_cast<std::uint8_t>(seed >> 24);
        }
        movie->tags[1].setPayload(noise); // also forces a fresh encoding
        for (std::size_t budget : {std::size_t{0}, std::size_t{5}, std::size_t{100}}) {
            Result<void> saved = saveMovieFile(*movie, target, {}, [budget](ByteSink& inner) {
                return std::unique_ptr<ByteSink>(std::make_unique<FailingSink>(inner, budget));
            });
            ASSERT_FALSE(saved.ok());
            EXPECT_EQ(saved.error().code, ErrorCode::Io);
            EXPECT_EQ(fx::readFile(target), (Bytes{'o', 'l', 'd'}));
        }
    }
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) {
        ++files;
    }
    EXPECT_EQ(files, 1u) << "a temporary file was left behind";
}

TEST(SwfMovieIo, SaveReplacesTheTargetWithTheCompleteMovie) {
    fx::TempDir dir;
    std::string target = dir.file("out.swf");
    fx::writeFile(target, Bytes{'o', 'l', 'd'});
    Bytes file = fx::movieWith({fx::doAction({fx::stop()})}, 8, fx::Container::Cws);
    Result<Movie> movie = readMovie(shared(file));
    ASSERT_TRUE(movie.ok());
    ASSERT_TRUE(saveMovieFile(*movie, target).ok());
    EXPECT_EQ(fx::readFile(target), file);
    Result<void> bad = saveMovieFile(*movie, dir.file("missing-folder/out.swf"));
    ASSERT_FALSE(bad.ok());
}

TEST(SwfMovieIo, MissingFileIsNotFound) {
    Result<Movie> movie = loadMovieFile("/nonexistent/clip.swf");
    ASSERT_FALSE(movie.ok());
    EXPECT_EQ(movie.error().code, ErrorCode::NotFound);
}

struct HeaderCase {
    const char* name;
    fx::Container container;
};

class SwfHeaderReading : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(SwfHeaderReading, GivesStageRateAndCountWithoutLoading) {
    fx::TempDir dir;
    fx::MovieSpec spec;
    spec.container = GetParam().container;
    spec.version = 13;
    spec.frame = fx::rect(-200, 10800, 100, 8100);
    spec.rate = 0x0C80; // 12.5 fps
    spec.frameCount = 7;
    spec.tags = fx::cat({fx::backgroundColor(), fx::tag(TagCode::Metadata, Bytes(200000, 'z'), true), fx::endTag()});
    std::string path = dir.file("h.swf");
    fx::writeFile(path, fx::buildMovie(spec));
    Result<SwfHeader> h = readSwfHeader(path);
    ASSERT_TRUE(h.ok()) << h.error().detail;
    EXPECT_EQ(h->version, 13);
    EXPECT_EQ(h->frame, (Rect{-200, 10800, 100, 8100}));
    EXPECT_DOUBLE_EQ(h->widthPixels, 550.0);
    EXPECT_DOUBLE_EQ(h->heightPixels, 400.0);
    EXPECT_DOUBLE_EQ(h->frameRate, 12.5);
    EXPECT_EQ(h->frameCount, 7);

    // Only the first bytes are needed.
    Bytes prefix = fx::readFile(path);
    prefix.resize(256);
    Result<SwfHeader> fromPrefix = parseSwfHeader(prefix);
    ASSERT_TRUE(fromPrefix.ok()) << fromPrefix.error().detail;
    EXPECT_EQ(fromPrefix->frame, h->frame);
}

INSTANTIATE_TEST_SUITE_P(Containers, SwfHeaderReading,
                         ::testing::Values(HeaderCase{"fws", fx::Container::Fws}, HeaderCase{"cws", fx::Container::Cws},
                                           HeaderCase{"zws", fx::Container::Zws}),
                         [](const auto& tc) { return std::string(tc.param.name); });

TEST(SwfHeaderReading, RefusesWhatIsNoMovie) {
    fx::TempDir dir;
    fx::writeFile(dir.file("a.swf"), Bytes{'F', 'W', 'S', 10, 30, 0, 0, 0, 0x78});
    fx::writeFile(dir.file("b.swf"), Bytes{'<', 'h', 't', 'm', 'l', '>', 0, 0, 0, 0});
    Result<SwfHeader> cut = readSwfHeader(dir.file("a.swf"));
    ASSERT_FALSE(cut.ok());
    EXPECT_EQ(cut.error().code, ErrorCode::Truncated);
    Result<SwfHeader> html = readSwfHeader(dir.file("b.swf"));
    ASSERT_FALSE(html.ok());
    EXPECT_EQ(html.error().code, ErrorCode::Malformed);
    EXPECT_EQ(readSwfHeader(dir.file("none.swf")).error().code, ErrorCode::NotFound);
}

std::vector<std::filesystem::path> corpusFiles() {
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(fx::corpusDir(), ec)) {
        if (e.path().extension() == ".swf") {
            files.push_back(e.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(SwfCorpus, EveryMovieLoadsAndRoundTrips) {
    std::vector<std::filesystem::path> files = corpusFiles();
    if (files.empty()) {
        GTEST_SKIP() << "the movie corpus is not at " << fx::corpusDir();
    }
    for (const auto& path : files) {
        SCOPED_TRACE(path.filename().string());
        Bytes file = fx::readFile(path.string());
        Result<Movie> movie = readMovie(shared(file));
        ASSERT_TRUE(movie.ok()) << movie.error().detail;
        Result<Bytes> same = encodeMovie(*movie);
        ASSERT_TRUE(same.ok());
        Result<Bytes> fresh = encodeMovie(*movie, WriteOptions{false});
        ASSERT_TRUE(fresh.ok());
        EXPECT_EQ(bodyOf(*fresh), bodyOf(file));
        if (file[0] == 'F') {
            EXPECT_EQ(*fresh, file);
        }
        bool lengthRight = readU32(file.data() + 4) == 8 + bodyOf(file).size();
        if (lengthRight) {
            EXPECT_EQ(*same, file);
        }
        Result<SwfHeader> header = readSwfHeader(path.string());
        ASSERT_TRUE(header.ok()) << header.error().detail;
        EXPECT_EQ(header->frame, movie->frame);
        EXPECT_EQ(header->frameCount, movie->frameCount);
    }
}

} // namespace
} // namespace glw::swf
