// Action code: finding links in every kind of action block, and rewriting a link with every branch
// offset, code size and record size that the change moves kept right.
#include "SwfFixtures.h"
#include "swf/Actions.h"
#include "swf/Movie.h"

#include <gtest/gtest.h>

namespace glw::swf {
namespace {

namespace fx = fixtures;

Bytes join(std::initializer_list<Bytes> records) {
    return fx::cat(records);
}

const std::string kOld = "http://old.example/";
const std::string kNew = "https://a-much-longer-address.example/path?query=1";

// A block, the record holding the link, and where a field is expected after the rewrite.
struct RewriteCase {
    const char* name;
    Bytes block;
    std::size_t link;        // record index of the GetURL
    std::size_t field;       // record index whose offset or size is checked
    std::size_t fieldOffset; // byte offset of the field in that record's payload
    std::int32_t expected;   // its value after the rewrite (signed 16-bit fields read as such)
};

std::int32_t g0() {
    return static_cast<std::int32_t>(fx::getUrl(kOld).size());
}
std::int32_t g1() {
    return static_cast<std::int32_t>(fx::getUrl(kNew).size());
}

std::vector<RewriteCase> rewriteCases() {
    std::int16_t g = static_cast<std::int16_t>(g0());
    std::vector<RewriteCase> c;
    c.push_back({"jump_forward_over_link",
                 join({fx::jump(static_cast<std::int16_t>(g + 1)), fx::getUrl(kOld), fx::stop(), fx::actionsEnd()}), 1,
                 0, 0, g1() + 1});
    c.push_back(
        {"jump_backward_over_link",
         join({fx::stop(), fx::getUrl(kOld), fx::jump(static_cast<std::int16_t>(-(1 + g + 5))), fx::actionsEnd()}), 1,
         2, 0, -(1 + g1() + 5)});
    c.push_back({"jump_elsewhere", join({fx::getUrl(kOld), fx::jump(1), fx::stop(), fx::actionsEnd()}), 0, 1, 0, 1});
    c.push_back(
        {"jump_to_the_link_itself", join({fx::jump(1), fx::stop(), fx::getUrl(kOld), fx::actionsEnd()}), 2, 0, 0, 1});
    c.push_back(
        {"jump_back_to_the_link_itself",
         join({fx::getUrl(kOld), fx::stop(), fx::jump(static_cast<std::int16_t>(-(g + 1 + 5))), fx::actionsEnd()}), 0,
         2, 0, -(g1() + 1 + 5)});
    c.push_back({"if_over_link", join({fx::pushStrings({"x"}), fx::ifAction(g), fx::getUrl(kOld), fx::actionsEnd()}), 2,
                 1, 0, g1()});
    c.push_back({"function_body",
                 join({fx::defineFunction("f", static_cast<std::uint16_t>(g + 1)), fx::getUrl(kOld), fx::stop(),
                       fx::actionsEnd()}),
                 1, 0, 4, g1() + 1});
    c.push_back({"function2_body",
                 join({fx::defineFunction2("f", static_cast<std::uint16_t>(g + 1)), fx::getUrl(kOld), fx::stop(),
                       fx::actionsEnd()}),
                 1, 0, 7, g1() + 1});
    c.push_back({"function_before_link",
                 join({fx::defineFunction("f", 1), fx::stop(), fx::getUrl(kOld), fx::actionsEnd()}), 2, 0, 4, 1});
    c.push_back({"with_body", join({fx::withAction(static_cast<std::uint16_t>(g)), fx::getUrl(kOld), fx::actionsEnd()}),
                 1, 0, 0, g1()});
    c.push_back({"try_catch_size",
                 join({fx::tryAction(1, static_cast<std::uint16_t>(g), 1), fx::stop(), fx::getUrl(kOld), fx::play(),
                       fx::actionsEnd()}),
                 2, 0, 3, g1()});
    c.push_back({"try_finally_unchanged",
                 join({fx::tryAction(1, static_cast<std::uint16_t>(g), 1), fx::stop(), fx::getUrl(kOld), fx::play(),
                       fx::actionsEnd()}),
                 2, 0, 5, 1});
    return c;
}

class SwfLinkRewrite : public ::testing::TestWithParam<RewriteCase> {};

TEST_P(SwfLinkRewrite, MovesWhatSpansTheChange) {
    const RewriteCase& c = GetParam();
    Result<ActionList> list = parseActions(c.block);
    ASSERT_TRUE(list.ok()) << list.error().detail;
    Result<Bytes> record = getUrlWithAddress(list->records[c.link], kNew);
    ASSERT_TRUE(record.ok());
    Result<Bytes> out = rewriteActions(c.block, *list, {ActionReplacement{c.link, *record}});
    ASSERT_TRUE(out.ok()) << out.error().detail;
    EXPECT_EQ(out->size(), c.block.size() + kNew.size() - kOld.size());

    Result<ActionList> after = parseActions(*out);
    ASSERT_TRUE(after.ok());
    ASSERT_EQ(after->records.size(), list->records.size());
    std::uint16_t raw = readU16(after->records[c.field].payload.data() + c.fieldOffset);
    std::int32_t value =
        (after->records[c.field].code == actioncode::Jump || after->records[c.field].code == actioncode::If)
            ? static_cast<std::int16_t>(raw)
            : raw;
    EXPECT_EQ(value, c.expected);
    std::vector<std::string> links;
    for (const BlockScan::Item& item : scanBlock(*after).items) {
        if (item.isLink) {
            links.push_back(item.link.url);
        }
    }
    EXPECT_EQ(links, std::vector<std::string>{kNew});
}

INSTANTIATE_TEST_SUITE_P(Branches, SwfLinkRewrite, ::testing::ValuesIn(rewriteCases()),
                         [](const auto& tc) { return std::string(tc.param.name); });

TEST(SwfLinkRewrite, BranchIntoTheChangedRecordIsRefused) {
    Bytes block = join({fx::jump(3), fx::getUrl(kOld), fx::actionsEnd()});
    Result<ActionList> list = parseActions(block);
    ASSERT_TRUE(list.ok());
    Result<Bytes> record = getUrlWithAddress(list->records[1], kNew);
    ASSERT_TRUE(record.ok());
    Result<Bytes> out = rewriteActions(block, *list, {ActionReplacement{1, *record}});
    ASSERT_FALSE(out.ok());
    EXPECT_EQ(out.error().code, ErrorCode::Unsupported);
}

TEST(SwfLinkRewrite, OffsetThatNoLongerFitsIsRefused) {
    Bytes block = join({fx::jump(32760), fx::getUrl(kOld), fx::actionsEnd()});
    Result<ActionList> list = parseActions(block);
    ASSERT_TRUE(list.ok());
    Result<Bytes> record = getUrlWithAddress(list->records[1], kNew);
    ASSERT_TRUE(record.ok());
    Result<Bytes> out = rewriteActions(block, *list, {ActionReplacement{1, *record}});
    ASSERT_FALSE(out.ok());
    EXPECT_EQ(out.error().code, ErrorCode::TooLarge);
}

TEST(SwfLinkRewrite, ShorterAddressKeepsTargetAndTail) {
    Bytes block = join({fx::getUrl("http://long.example/address", "_top"), fx::actionsEnd()});
    fx::append(block, Bytes{0xAA, 0xBB}); // bytes after the End action stay as they are
    Result<ActionList> list = parseActions(block);
    ASSERT_TRUE(list.ok());
    Result<Bytes> record = getUrlWithAddress(list->records[0], "x");
    ASSERT_TRUE(record.ok());
    Result<Bytes> out = rewriteActions(block, *list, {ActionReplacement{0, *record}});
    ASSERT_TRUE(out.ok());
    EXPECT_EQ(*out, fx::cat({fx::getUrl("x", "_top"), fx::actionsEnd(), Bytes{0xAA, 0xBB}}));
}

struct GetUrl2Case {
    const char* name;
    Bytes block;
    std::vector<std::string> links;
};

std::vector<GetUrl2Case> getUrl2Cases() {
    return {
        {"literal_address_and_target",
         join({fx::pushStrings({"http://a.example/", "_blank"}), fx::getUrl2(), fx::actionsEnd()}),
         {"http://a.example/"}},
        {"constants",
         join({fx::constantPool({"_self", "http://b.example/"}), fx::pushConstants({1, 0}), fx::getUrl2(),
               fx::actionsEnd()}),
         {"http://b.example/"}},
        {"separate_pushes",
         join({fx::pushStrings({"http://c.example/"}), fx::pushStrings({"_top"}), fx::getUrl2(), fx::actionsEnd()}),
         {"http://c.example/"}},
        {"address_computed",
         join({fx::pushStrings({"a"}), fx::action(0x1C), fx::pushStrings({"_top"}), fx::getUrl2(), fx::actionsEnd()}),
         {}},
        {"constant_without_pool", join({fx::pushConstants({3, 0}), fx::getUrl2(), fx::actionsEnd()}), {}},
        {"two_links_in_order",
         join({fx::getUrl("http://1.example/"), fx::pushStrings({"http://2.example/", ""}), fx::getUrl2(),
               fx::actionsEnd()}),
         {"http://1.example/", "http://2.example/"}},
    };
}

class SwfGetUrl2Links : public ::testing::TestWithParam<GetUrl2Case> {};

TEST_P(SwfGetUrl2Links, AreFoundAndReplaced) {
    const GetUrl2Case& c = GetParam();
    Result<ActionList> list = parseActions(c.block);
    ASSERT_TRUE(list.ok());
    std::vector<LinkSite> links;
    for (const BlockScan::Item& item : scanBlock(*list).items) {
        if (item.isLink) {
            links.push_back(item.link);
        }
    }
    ASSERT_EQ(links.size(), c.links.size());
    std::vector<ActionReplacement> reps;
    for (std::size_t i = 0; i < links.size(); ++i) {
        EXPECT_EQ(links[i].url, c.links[i]);
        Result<Bytes> rec = links[i].viaPush ? pushWithString(list->records[links[i].push], links[i].pushValue, kNew)
                                             : getUrlWithAddress(list->records[links[i].action], kNew);
        ASSERT_TRUE(rec.ok());
        reps.push_back({links[i].viaPush ? links[i].push : links[i].action, *rec});
    }
    if (reps.empty()) {
        return;
    }
    Result<Bytes> out = rewriteActions(c.block, *list, reps);
    ASSERT_TRUE(out.ok());
    Result<ActionList> after = parseActions(*out);
    ASSERT_TRUE(after.ok());
    std::size_t found = 0;
    for (const BlockScan::Item& item : scanBlock(*after).items) {
        if (item.isLink) {
            EXPECT_EQ(item.link.url, kNew);
            ++found;
        }
    }
    EXPECT_EQ(found, c.links.size());
}

INSTANTIATE_TEST_SUITE_P(Forms, SwfGetUrl2Links, ::testing::ValuesIn(getUrl2Cases()),
                         [](const auto& tc) { return std::string(tc.param.name); });

// --- action blocks inside tags ------------------------------------------------------------------

Bytes buttonRecord(std::uint16_t character) {
    Bytes r;
    fx::u8(r, 0x0F); // all four states
    fx::u16(r, character);
    fx::u16(r, 1);
    fx::append(r, fx::matrix(0, 0));
    return r;
}

Tag tagFrom(const Bytes& encoded) {
    // Encoded tags from the fixtures carry the long header form.
    std::size_t header = (readU16(encoded.data()) & 0x3F) == 0x3F ? 6 : 2;
    return Tag(static_cast<TagCode>(readU16(encoded.data()) >> 6), ByteView(encoded).subspan(header), header == 6);
}

Bytes defineButton2(std::initializer_list<Bytes> conditions) {
    Bytes p;
    fx::u16(p, 9);
    fx::u8(p, 0);
    // DefineButton2 records carry a colour transform (here one with no terms) after the matrix.
    Bytes withCx = buttonRecord(4);
    fx::u8(withCx, 0x00);
    fx::u8(withCx, 0);                                    // end of records
    fx::u16(p, static_cast<unsigned>(2 + withCx.size())); // ActionOffset from this field
    fx::append(p, withCx);
    std::size_t i = 0;
    for (const Bytes& actions : conditions) {
        bool last = ++i == conditions.size();
        fx::u16(p, last ? 0 : static_cast<unsigned>(4 + actions.size()));
        fx::u16(p, 0x0008); // OverDownToOverUp
        fx::append(p, actions);
    }
    return fx::tag(TagCode::DefineButton2, p, true);
}

Bytes defineButton1(const Bytes& actions) {
    Bytes p;
    fx::u16(p, 9);
    fx::append(p, buttonRecord(4));
    fx::u8(p, 0);
    fx::append(p, actions);
    return fx::tag(TagCode::DefineButton, p, true);
}

// PlaceObject2 with clip actions (SWF 6 and later: 32-bit event flags); the second record handles
// a key press and so carries a key code.
Bytes placeWithClipActions(const Bytes& first, const Bytes& second) {
    Bytes p;
    fx::u8(p, 0x80 | 0x02); // clip actions, character
    fx::u16(p, 1);
    fx::u16(p, 4);
    fx::u16(p, 0);          // reserved
    fx::u32(p, 0x00020001); // all events: load, key press
    fx::u32(p, 0x00000001); // load
    fx::u32(p, static_cast<std::uint32_t>(first.size()));
    fx::append(p, first);
    fx::u32(p, 0x00020000); // key press
    fx::u32(p, static_cast<std::uint32_t>(1 + second.size()));
    fx::u8(p, 13); // enter
    fx::append(p, second);
    fx::u32(p, 0); // end
    return fx::tag(TagCode::PlaceObject2, p, true);
}

std::vector<std::string> linksOf(const Tag& tag, std::uint8_t version) {
    std::vector<std::string> out;
    Result<std::vector<ActionBlock>> blocks = findActionBlocks(tag, version);
    EXPECT_TRUE(blocks.ok()) << (blocks ? "" : blocks.error().detail);
    if (!blocks) {
        return out;
    }
    for (const ActionBlock& b : *blocks) {
        Result<ActionList> list = parseActions(tag.payload().subspan(b.begin, b.end - b.begin));
        EXPECT_TRUE(list.ok());
        if (list) {
            for (const BlockScan::Item& item : scanBlock(*list).items) {
                if (item.isLink) {
                    out.push_back(item.link.url);
                }
            }
        }
    }
    return out;
}

// Replaces every link of a tag with kNew, block by block, as the generator does.
Bytes replaceAllLinks(const Tag& tag, std::uint8_t version) {
    Result<std::vector<ActionBlock>> blocks = findActionBlocks(tag, version);
    std::vector<BlockReplacement> reps;
    for (const ActionBlock& b : *blocks) {
        ByteView code = tag.payload().subspan(b.begin, b.end - b.begin);
        Result<ActionList> list = parseActions(code);
        std::vector<ActionReplacement> links;
        for (const BlockScan::Item& item : scanBlock(*list).items) {
            if (item.isLink) {
                links.push_back({item.link.action, *getUrlWithAddress(list->records[item.link.action], kNew)});
            }
        }
        reps.push_back({b, *rewriteActions(code, *list, links)});
    }
    Result<Bytes> out = replaceBlocks(tag.payload(), reps);
    EXPECT_TRUE(out.ok());
    return out ? *out : Bytes{};
}

struct BlockCase {
    const char* name;
    Bytes tag;
    std::uint8_t version;
    std::size_t links;
};

std::vector<BlockCase> blockCases() {
    Bytes a = fx::cat({fx::getUrl(kOld), fx::actionsEnd()});
    Bytes b = fx::cat({fx::stop(), fx::getUrl(kOld, "_top"), fx::actionsEnd()});
    Bytes init;
    fx::u16(init, 7);
    fx::append(init, a);
    return {
        {"do_action", fx::doAction({fx::getUrl(kOld)}), 6, 1},
        {"do_init_action", fx::tag(TagCode::DoInitAction, init, true), 6, 1},
        {"button", defineButton1(a), 4, 1},
        {"button2_conditions", defineButton2({a, b, a}), 6, 3},
        {"clip_actions", placeWithClipActions(a, b), 6, 2},
    };
}

class SwfLinkBlocks : public ::testing::TestWithParam<BlockCase> {};

TEST_P(SwfLinkBlocks, SizesFollowTheRewrite) {
    const BlockCase& c = GetParam();
    Tag tag = tagFrom(c.tag);
    std::vector<std::string> before = linksOf(tag, c.version);
    ASSERT_EQ(before.size(), c.links);
    Bytes payload = replaceAllLinks(tag, c.version);
    EXPECT_EQ(payload.size(), tag.payload().size() + c.links * (kNew.size() - kOld.size()));
    Tag after = tag;
    after.setPayload(payload);
    std::vector<std::string> links = linksOf(after, c.version);
    EXPECT_EQ(links, std::vector<std::string>(c.links, kNew));
}

INSTANTIATE_TEST_SUITE_P(Tags, SwfLinkBlocks, ::testing::ValuesIn(blockCases()),
                         [](const auto& tc) { return std::string(tc.param.name); });

struct BrokenCode {
    const char* name;
    Bytes block;
};

TEST(SwfActionParsing, BrokenCodeGivesAStatus) {
    std::vector<BrokenCode> cases = {
        {"length_past_end", Bytes{0x83, 0xFF, 0x7F, 'a', 0}},
        {"length_cut_short", Bytes{0x96, 0x05}},
    };
    for (const BrokenCode& c : cases) {
        SCOPED_TRACE(c.name);
        Result<ActionList> list = parseActions(c.block);
        ASSERT_FALSE(list.ok());
        EXPECT_EQ(list.error().code, ErrorCode::Truncated);
    }
    // A pool that claims more strings than it holds yields no strings and no link.
    Bytes code = fx::cat(
        {fx::action(0x88, Bytes{0xFF, 0xFF, 'a', 0}), fx::pushConstants({5, 0}), fx::getUrl2(), fx::actionsEnd()});
    Result<ActionList> pool = parseActions(code);
    ASSERT_TRUE(pool.ok());
    EXPECT_TRUE(scanBlock(*pool).items.empty());
}

} // namespace
} // namespace glw::swf
