// The clip editor end to end: glwclipart run headless on a copy of the demo library, a clip opened with
// Ctrl+P, its rows checked against swfscan, every kind of element and the size edited, and the working copy
// checked with swfscan again.
#include "platform/TempDir.h"
#include "support/Process.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

using glw::platform::test::TempDir;

namespace {

namespace fs = std::filesystem;

const std::string kSwfscan = std::string(GLW_BINARY_DIR) + "/bin/swfscan";

// The data of the demo application folder and the program, without the other programs beside it.
void copyDemoApp(const TempDir& app) {
    for (const auto& entry : fs::directory_iterator(GLW_APP_DIR)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(".")) {
            continue; // the developers' debug information, not part of the demo folder
        }
        if (entry.is_directory()) {
            fs::copy(entry.path(), app.host(name), fs::copy_options::recursive);
        } else if (name == "glwclipart" || name.ends_with(".swf")) {
            fs::copy_file(entry.path(), app.host(name));
        }
    }
}

std::vector<std::vector<std::string>> swfscanList(const std::string& movie) {
    const auto result = glw::test::runProcess(kSwfscan, {"list", movie}, {});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(result.output);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (;;) {
            const std::size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
            if (tab == std::string::npos) {
                break;
            }
            start = tab + 1;
        }
        rows.push_back(fields);
    }
    return rows;
}

// The text swfscan shows with its escapes turned back.
std::string unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char c = text[++i];
            out += c == 'n' ? '\n' : c == 't' ? '\t' : c;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string quote(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        out += c == '"' ? std::string("\"\"") : c == '\n' ? std::string("{LF}") : std::string(1, c);
    }
    return out + "\"";
}

// The trace line the editor writes for a row, from swfscan's fields: ROW KIND ID VALUE FONT SIZE.
std::string expectedRow(const std::vector<std::string>& f) {
    const std::string key = "ITEM" + f[0];
    const std::string& kind = f[1];
    const std::string value = unescape(f[3]);
    std::string type, s1, s3, s4;
    if (kind == "text" || kind == "edittext") {
        type = "Text";
        s1 = value;
        s3 = f[4];
        const int twips = std::stoi(f[5]);
        const int points = twips / 20 + (twips % 20 > 10 || (twips % 20 == 10 && (twips / 20) % 2 == 1) ? 1 : 0);
        s4 = std::to_string(points);
    } else if (kind == "link") {
        type = "Link";
        s1 = value;
    } else if (kind == "image") {
        type = "Image";
        s1 = "Image " + f[2];
        s3 = f[2];
        s4 = f[5];
    } else {
        type = "Sound";
        s1 = "Sound " + f[2];
        s3 = f[2];
        s4 = f[5];
    }
    return "row Form1.ListView1 " + quote(key) + " " + quote(type) + " " + quote(s1) + " " + quote(s1) + " " +
           quote(s3) + " " + quote(s4);
}

std::string backspaces(const std::string& target, std::size_t n) {
    std::string out;
    for (std::size_t i = 0; i < n; ++i) {
        out += "key " + target + " Back\n";
    }
    return out;
}

const std::vector<std::string>* rowOf(const std::vector<std::vector<std::string>>& rows, const std::string& kind,
                                      int n = 0) {
    for (const auto& r : rows) {
        if (r[1] == kind && n-- == 0) {
            return &r;
        }
    }
    return nullptr;
}

TEST(EditorProcess, ACaseOfEveryKindEditedHeadlessReachesTheWorkingCopyAndThePreview) {
    TempDir app;
    copyDemoApp(app);
    const std::string clip = app.host("CLTemplates/Media/postcard.swf");
    ASSERT_TRUE(fs::exists(clip));
    const auto before = swfscanList(clip);
    const auto* staticText = rowOf(before, "text", 1); // "from the seaside" in Arial, a font the list lacks
    const auto* editText = rowOf(before, "edittext");
    const auto* link = rowOf(before, "link");
    const auto* image = rowOf(before, "image");
    const auto* sound = rowOf(before, "sound");
    ASSERT_TRUE(staticText && editText && link && image && sound);

    std::string script = "choose Form1.Cats Media\n"
                         "focus Form1.FSel(3)\n"
                         "key Form1 Ctrl+P\n";
    // A static text in characters its font lacks.
    script += "choose Form1.ListView2 ITEM" + (*staticText)[0] + "\n" +
              backspaces("Form1.Text2", unescape((*staticText)[3]).size()) + "type Form1.Text2 \"Grüße 2027\"\n" +
              "click Form1.Command10\n";
    script += "choose Form1.ListView2 ITEM" + (*editText)[0] + "\n" + backspaces("Form1.Text2", (*editText)[3].size()) +
              "type Form1.Text2 \"Dear Ada\"\n" + "key Form1.Text2 Enter\n";
    script += "key Form1 Ctrl+L\n" + backspaces("Form1.Text3", (*link)[3].size()) +
              "type Form1.Text3 \"http://www.example.com/new\"\n"
              "click Form1.Command20\n";
    script += "key Form1 Ctrl+I\n"
              "click Form1.Command22\n"
              "file \"" +
              app.host("JPEGBackgrounds/sky.jpg") + "\"\n" + backspaces("Form1.Text6", 2) +
              "type Form1.Text6 \"60\"\n"
              "click Form1.Command19\n";
    script += "key Form1 Ctrl+S\n"
              "click Form1.Command25\n"
              "file \"" +
              app.host("MP3Loops/quiet-loop.mp3") + "\"\n" + "click Form1.Command23\n";
    script += backspaces("Form1.EWidth", 3) + "type Form1.EWidth \"300\"\n" + backspaces("Form1.EHeight", 3) +
              "type Form1.EHeight \"180\"\n"
              "key Form1 Ctrl+A\n";
    app.file("script.txt", script);

    const auto result = glw::test::runProcess(
        app.host("glwclipart"), {},
        {{"GLW_UI", "headless"}, {"GLW_SCRIPT", app.host("script.txt")}, {"GLW_TRACE", app.host("trace.txt")}});
    ASSERT_EQ(result.exitCode, 0) << result.output;
    const auto trace = glw::test::readLines(app.host("trace.txt"));

    // 2. The rows listed are swfscan's rows of the same clip.
    std::vector<std::string> rows;
    std::copy_if(trace.begin(), trace.end(), std::back_inserter(rows),
                 [](const std::string& line) { return line.starts_with("row "); });
    ASSERT_EQ(rows.size(), before.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i], expectedRow(before[i]));
    }

    // 4. The working copy holds the new values at the new size, and the preview plays it.
    const auto after = swfscanList(app.host("Working/newclip.swf"));
    ASSERT_EQ(after.size(), before.size());
    const auto& at = [&](const std::vector<std::string>* row) { return after[std::size_t(std::stoi((*row)[0]))]; };
    EXPECT_EQ(at(staticText)[3], "Grüße 2027");
    EXPECT_EQ(at(editText)[3], "Dear Ada");
    EXPECT_EQ(at(link)[3], "http://www.example.com/new");
    EXPECT_EQ(at(image)[5], "60");
    EXPECT_EQ(at(sound)[1], "sound");
    const auto header = glw::test::runProcess(kSwfscan, {"header", app.host("Working/newclip.swf")}, {});
    EXPECT_NE(header.output.find("300"), std::string::npos) << header.output;
    EXPECT_NE(header.output.find("180"), std::string::npos) << header.output;
    // Byte for byte what the engine makes of the same edits, so the picture and the sound are the new ones.
    const auto reference = glw::test::runProcess(
        kSwfscan,
        {"edit", clip, app.host("reference.swf"), "--set", (*staticText)[0] + "=Grüße 2027", "--set",
         (*editText)[0] + "=Dear Ada", "--set", (*link)[0] + "=http://www.example.com/new", "--set",
         (*image)[0] + "=" + app.host("JPEGBackgrounds/sky.jpg"), "--quality", (*image)[0] + "=60", "--set",
         (*sound)[0] + "=" + app.host("MP3Loops/quiet-loop.mp3"), "--size", "300x180"},
        {});
    ASSERT_EQ(reference.exitCode, 0) << reference.output;
    EXPECT_TRUE(app.read("Working/newclip.swf") == app.read("reference.swf"));
    const auto lastMovie = std::find_if(trace.rbegin(), trace.rend(), [](const std::string& line) {
        return line.starts_with("movie Form1.FlashDemo \"Movie=");
    });
    ASSERT_NE(lastMovie, trace.rend());
    EXPECT_EQ(*lastMovie, "movie Form1.FlashDemo \"Movie=" + app.system() + "\\Working\\newclip.swf?\"");
    EXPECT_EQ(trace.back(), "end 0");
}

} // namespace
