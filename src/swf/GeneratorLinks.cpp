// Links: the addresses of ActionGetURL, and of ActionGetURL2 with its address pushed right before it,
// in every tag that carries action code; scanned in action order and replaced block by block.
#include "swf/GeneratorParts.h"

namespace glw::swf::generator {

void LinkElements::scan(SwfGenerator& events, const Movie& movie, const Tag& tag, const TagPath& path,
                        ElementOrder& order, Problems& problems) {
    if (!hasTrait(tag.code(), kCarriesActions)) {
        return;
    }
    Result<std::vector<ActionBlock>> blocks = findActionBlocks(tag, movie.version);
    if (!blocks) {
        problems.unreadable(movie, tag, blocks.error());
        return;
    }
    ByteView payload = tag.payload();
    for (std::size_t b = 0; b < blocks->size(); ++b) {
        const ActionBlock& block = (*blocks)[b];
        Result<ActionList> list = parseActions(payload.subspan(block.begin, block.end - block.begin));
        if (!list) {
            // Code that cannot be followed offers nothing to replace.
            problems.unreadable(movie, tag, list.error());
            continue;
        }
        for (BlockScan::Item& item : scanBlock(*list).items) {
            if (!item.isLink) {
                if (events.OnSubActionString) {
                    TextActionElement e;
                    e.ActionString = decodeMovieText(item.text, movie.version);
                    events.OnSubActionString(e);
                }
                continue;
            }
            Site site;
            site.path = path;
            site.block = b;
            site.detected = decodeMovieText(item.link.url, movie.version);
            site.link = std::move(item.link);
            site.element.Url = site.detected;
            site.order = order.take();
            if (events.OnSubActionGetUrl) {
                events.OnSubActionGetUrl(site.element);
            }
            m_sites.push_back(std::move(site));
        }
    }
}

void LinkElements::apply(Movie& m, Problems& problems) const {
    // Links of one tag are applied together, block by block.
    std::map<TagPath, std::map<std::size_t, std::vector<const Site*>>> byTag;
    for (const Site& site : m_sites) {
        if (site.element.NeedSub && site.element.Url != site.detected) {
            byTag[site.path][site.block].push_back(&site);
        }
    }
    // A failure of a whole block or tag refuses each edited link in it.
    const auto refuseAll = [&](const std::vector<const Site*>& sites, const Error& why) {
        for (const Site* site : sites) {
            problems.note(why.code, "link \"" + site->detected + "\" not replaced: " + why.detail, site->order);
        }
    };
    for (auto& [path, blocks] : byTag) {
        Tag& tag = tagAt(m.tags, path);
        std::vector<const Site*> inTag;
        for (const auto& [index, sites] : blocks) {
            inTag.insert(inTag.end(), sites.begin(), sites.end());
        }
        Result<std::vector<ActionBlock>> found = findActionBlocks(tag, m.version);
        if (!found) {
            refuseAll(inTag, found.error());
            continue;
        }
        ByteView payload = tag.payload();
        std::vector<BlockReplacement> replaced;
        for (auto& [index, sites] : blocks) {
            const ActionBlock& block = (*found)[index];
            ByteView code = payload.subspan(block.begin, block.end - block.begin);
            Result<ActionList> list = parseActions(code);
            if (!list) {
                refuseAll(sites, list.error());
                continue;
            }
            std::vector<ActionReplacement> reps;
            for (const Site* site : sites) {
                std::string what = "link \"" + site->detected + "\" not replaced: ";
                Result<std::string> address = encodeExactly(withoutNul(site->element.Url), m.version);
                if (!address) {
                    problems.note(address.error().code, what + address.error().detail, site->order);
                    continue;
                }
                Result<Bytes> rec = site->link.viaPush
                                        ? pushWithString(list->records[site->link.push], site->link.pushValue, *address)
                                        : getUrlWithAddress(list->records[site->link.action], *address);
                if (!rec) {
                    problems.note(rec.error().code, what + rec.error().detail, site->order);
                    continue;
                }
                reps.push_back(
                    ActionReplacement{site->link.viaPush ? site->link.push : site->link.action, std::move(*rec)});
            }
            if (reps.empty()) {
                continue;
            }
            Result<Bytes> rewritten = rewriteActions(code, *list, std::move(reps));
            if (!rewritten) {
                refuseAll(sites, rewritten.error());
                continue;
            }
            replaced.push_back(BlockReplacement{block, std::move(*rewritten)});
        }
        if (replaced.empty()) {
            continue;
        }
        Result<Bytes> newPayload = replaceBlocks(payload, std::move(replaced));
        if (!newPayload) {
            refuseAll(inTag, newPayload.error());
            continue;
        }
        tag.setPayload(std::move(*newPayload));
    }
}

} // namespace glw::swf::generator
