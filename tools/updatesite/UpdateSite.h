// Lays out an update site as a folder of static files that any plain web server can serve: the two query
// pages under the names the updater asks for (the server ignores the query), the release archive and the
// import packages.
#pragma once

#include "base/Result.h"

#include <string>
#include <vector>

namespace glw::tools {

struct SitePackage {
    std::string source; // an import package file (.gwi), or a folder to pack as one (it holds impinfo.dat)
    std::string title;  // shown in the updater's list
};

struct SiteLayout {
    std::string folder;  // where the site is written (created when missing)
    std::string address; // the address the site will be served at, such as http://127.0.0.1:8080/glw
    std::string date;    // the release date, day/month/year
    std::string release; // a zip archive, or a folder to pack as one; "" for a site without a release
    std::string releaseName = "glwse.zip";
    std::vector<SitePackage> packages;
};

// The files of the site:
//   glwupd.asp         the update reply: date "/" archive address with "/" written "|" "/GLW UPDATE"
//   glwimps.asp        the imports reply: "[imports/<name>](<title>)|" for every package
//   release/<name>     the release archive
//   imports/<name>     the packages
// Folders given as packages are packed with the import packages' password. Invalid for a date that is
// not three "/" fields, a title holding "|", "(" or ")", or a reply holding "404" anywhere (in the date,
// the address, a name or a title: the updater reads such a reply as a missing page), found before anything
// is written; the replies are written by formats/UpdateReplies.h. The zip layer's errors
// for what cannot be packed; Io when a file cannot be written.
Result<void> layOutUpdateSite(const SiteLayout& layout);

} // namespace glw::tools
