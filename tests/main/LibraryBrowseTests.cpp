// Browsing the library headless: pages of twelve cells, category switches, disk folders, the browser
// cache and the selection of cells.
#include "LibraryTestSupport.h"

#include <filesystem>

namespace glw::main::test {
namespace {

class LibraryBrowse : public LibraryApp {
protected:
    // The movie paths of the twelve cells, "" for the empty movie.
    std::vector<std::string> cells(Form1& form) {
        std::vector<std::string> shown;
        for (int i = 0; i < 12; ++i) {
            shown.push_back(form.cellHoldsClip(i) ? form.FSel[i].Movie() : "");
        }
        return shown;
    }
    // A user's click on a cell, which gives it the focus.
    void clickCell(int index) { ASSERT_TRUE(ui().perform("click Form1.FSel(" + std::to_string(index) + ")").ok()); }
    int clipsShown(Form1& form) {
        int n = 0;
        for (int i = 0; i < 12; ++i) {
            n += form.cellHoldsClip(i);
        }
        return n;
    }
};

struct PageCase {
    int clips;
    int lastPage; // scrTemplates.Max
    int clipsOnLastPage;
};

TEST_F(LibraryBrowse, PagesOfTwelve) {
    const PageCase cases[] = {{0, -1, 0}, {12, 0, 12}, {13, 1, 1}, {24, 1, 12}, {25, 2, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.clips);
        std::filesystem::remove_all(app.host("CLTemplates"));
        category("Only", c.clips);
        auto& form = start();
        EXPECT_EQ(form.lstFlashFiles.ListCount(), c.clips);
        EXPECT_EQ(form.scrTemplates.Max, c.lastPage);
        EXPECT_EQ(form.scrTemplates.Value, 0);
        form.scrTemplates.userScroll(c.lastPage);
        EXPECT_EQ(clipsShown(form), c.clipsOnLastPage);
        if (c.clips > 0) {
            // The page's cell 0 is selected: the first clip of the page becomes the current clip.
            const int first = std::max(0, c.lastPage) * 12;
            EXPECT_EQ(form.CurrentClip, sys("CLTemplates\\Only\\" + std::string("clip") + (first + 1 < 10 ? "0" : "") +
                                            std::to_string(first + 1) + ".swf"));
            EXPECT_EQ(form.EWidth.Text(), std::to_string(101 + first));
            EXPECT_EQ(form.EHeight.Text(), std::to_string(51 + first));
        }
        program.reset();
        rt.reset();
    }
}

TEST_F(LibraryBrowse, CategorySwitchKeepsThePageWithinTheNewRange) {
    category("Big", 48);
    category("Small", 20, "small");
    auto& form = start();
    ASSERT_EQ(form.Cats.items(), (std::vector<std::string>{"Big", "Small"}));
    form.scrTemplates.userScroll(3);
    EXPECT_EQ(form.CurrentClip, sys("CLTemplates\\Big\\clip37.swf"));
    form.Cats.userChoose(1);
    EXPECT_EQ(form.scrTemplates.Max, 1);
    EXPECT_EQ(form.scrTemplates.Value, 1) << "the page number is kept, limited to the new range";
    EXPECT_EQ(clipsShown(form), 8);
    EXPECT_EQ(form.FSel[0].Movie(), sys("CLTemplates\\Small\\small13.swf"));
    EXPECT_EQ(form.CurrentClip, sys("CLTemplates\\Small\\small13.swf"));
}

// The size boxes are the size the editor rebuilds the current clip at and the export writes: an empty cell
// (the empty movie is 550 x 400) changes neither them nor the current clip, on its own page or another.
TEST_F(LibraryBrowse, EmptyCellsChangeNothing) {
    category("Two", 14);
    app.folder("CLTemplates/Zero");
    auto& form = start();
    struct Case {
        int page;
        int clip; // the cell clicked first, which holds a clip
        int empty;
        const char* width;
    };
    const Case cases[] = {{1, 1, 2, "114"}, {1, 0, 11, "113"}, {1, 1, 7, "114"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.empty);
        form.scrTemplates.userScroll(c.page);
        clickCell(c.clip);
        const std::string clip = form.CurrentClip;
        EXPECT_EQ(form.SelectedCell, c.clip);
        EXPECT_EQ(form.EWidth.Text(), c.width);
        const int markerLeft = form.Picture2.Left;
        const int markerTop = form.Picture2.Top;
        EXPECT_EQ(markerLeft, form.FSel[c.clip].Left());
        EXPECT_EQ(markerTop + form.Picture2.Height, form.FSel[c.clip].Top + form.FSel[c.clip].Height);
        form.ElementsScanned = true;

        clickCell(c.empty);
        EXPECT_EQ(form.EWidth.Text(), c.width) << "the current clip's size stays";
        EXPECT_EQ(form.EHeight.Text(), std::to_string(std::stoi(c.width) - 50));
        EXPECT_EQ(form.CurrentClip, clip);
        EXPECT_EQ(form.SelectedCell, c.clip);
        EXPECT_EQ(form.Picture2.Left, markerLeft);
        EXPECT_EQ(form.Picture2.Top, markerTop);
        EXPECT_TRUE(form.ElementsScanned) << "the editor's state stays with the current clip";
    }

    // A page without clips keeps the clip and its size too.
    form.Cats.userChoose(1);
    EXPECT_EQ(form.CurrentClip, sys("CLTemplates\\Two\\clip14.swf"));
    EXPECT_EQ(form.EWidth.Text(), "114");
    clickCell(0);
    EXPECT_EQ(form.EWidth.Text(), "114");
}

TEST_F(LibraryBrowse, OnlyTheEmptyMovieItselfIsAnEmptyCell) {
    app.folder("CLTemplates/Odd");
    app.file("CLTemplates/Odd/blank.swf", tinySwf(30, 20));
    app.file("CLTemplates/Odd/myblank.swf.swf", tinySwf(40, 20));
    auto& form = start();
    EXPECT_EQ(form.CurrentClip, sys("CLTemplates\\Odd\\blank.swf"));
    EXPECT_EQ(form.EWidth.Text(), "30");
    clickCell(1);
    EXPECT_EQ(form.CurrentClip, sys("CLTemplates\\Odd\\myblank.swf.swf"));
    EXPECT_EQ(form.SelectedCell, 1);
}

TEST_F(LibraryBrowse, DiskFoldersListTheirMoviesAndSwitchingBackListsTheCategoryAgain) {
    category("Animals", 3);
    app.file("elsewhere/one.swf", tinySwf(10, 10));
    app.file("elsewhere/Two.SWF", tinySwf(20, 10));
    app.file("elsewhere/notes.txt", "x");
    auto& form = start();
    form.chkBrowseWhat[1].userClick();
    EXPECT_TRUE(form.frmFiles.Visible);
    EXPECT_FALSE(form.frmCats.Visible);
    form.Dir1.Path = sys("elsewhere");
    EXPECT_EQ(form.lstFlashFiles.items(),
              (std::vector<std::string>{sys("elsewhere\\one.swf"), sys("elsewhere\\Two.SWF")}));
    EXPECT_EQ(form.CurrentClip, sys("elsewhere\\one.swf"));

    form.chkBrowseWhat[0].userClick();
    EXPECT_TRUE(form.frmCats.Visible);
    EXPECT_EQ(form.lstFlashFiles.ListCount(), 3) << "the first category, already selected, is listed again";
    EXPECT_EQ(form.FSel[0].Movie(), sys("CLTemplates\\Animals\\clip01.swf"));
}

TEST_F(LibraryBrowse, FoldersThatCannotBeListedGiveAnEmptyPage) {
    category("Animals", 3);
    category("Gone", 2);
    auto& form = start();
    ASSERT_EQ(clipsShown(form), 3);
    std::filesystem::remove_all(app.host("CLTemplates/Gone"));
    form.Cats.userChoose(1);
    EXPECT_EQ(form.lstFlashFiles.ListCount(), 0);
    EXPECT_EQ(form.scrTemplates.Max, -1);
    EXPECT_EQ(cells(form), std::vector<std::string>(12));
    EXPECT_FALSE(rt->ended());

    app.file("elsewhere/one.swf", tinySwf(10, 10));
    form.chkBrowseWhat[1].userClick();
    form.Dir1.Path = sys("elsewhere");
    ASSERT_EQ(clipsShown(form), 1);
    std::filesystem::remove_all(app.host("elsewhere"));
    form.Dir1_Change();
    EXPECT_EQ(cells(form), std::vector<std::string>(12));
    EXPECT_FALSE(rt->ended());
}

TEST_F(LibraryBrowse, CacheListIsBuiltOnceAndKeepsOnlyMovies) {
    category("Animals", 1);
    app.file("cache/CLIP.SWF", tinySwf(64, 32));
    app.file("cache/intro.swf", tinySwf(65, 32));
    cache = std::make_shared<platform::MemoryCache>(std::vector<platform::CacheEntry>{
        {"http://a/first", sys("cache\\first.swf"), 0}, // the first entry counts on its name alone
        {"http://a/CLIP.SWF", sys("cache\\CLIP.SWF"), 1},
        {"http://a/cookie", sys("cache\\cookie.swf"), 0},
        {"http://a/movie.swf2", sys("cache\\movie.swf2"), 1},
        {"http://a/movie.sw", sys("cache\\movie.sw"), 1},
        {"http://a/intro.swf", sys("cache\\intro.swf"), 0x11},
    });
    auto& form = start();
    form.chkBrowseWhat[2].userClick();
    const std::vector<std::string> movies{sys("cache\\first.swf"), sys("cache\\CLIP.SWF"), sys("cache\\intro.swf")};
    EXPECT_EQ(form.lstcache.items(), movies);
    EXPECT_EQ(form.lstFlashFiles.items(), movies);
    EXPECT_TRUE(form.frmCache.Visible);
    EXPECT_FALSE(form.Frame2.Visible);
    EXPECT_FALSE(cache->open()) << "the walk is closed";
    EXPECT_TRUE(form.FSel[0].hasFocus());

    form.chkBrowseWhat[0].userClick();
    form.chkBrowseWhat[2].userClick();
    EXPECT_EQ(cache->walks(), 1) << "choosing the cache again does not rebuild the list";
    EXPECT_EQ(form.lstFlashFiles.items(), movies);
    clickCell(1);
    EXPECT_EQ(form.CurrentClip, sys("cache\\CLIP.SWF"));
    EXPECT_EQ(form.EWidth.Text(), "64");
}

TEST_F(LibraryBrowse, CtrlOneAndTwoSwitchSourcesAndNothingOffersTheJpegSource) {
    category("Animals", 1);
    auto& form = start();
    EXPECT_FALSE(form.chkBrowseWhat.exists(3));
    ASSERT_TRUE(ui().perform("key Form1 ctrl+2").ok());
    EXPECT_EQ(form.BrowseSource, 1);
    ASSERT_TRUE(ui().perform("key Form1 ctrl+3").ok());
    EXPECT_EQ(form.BrowseSource, 1);
    ASSERT_TRUE(ui().perform("key Form1 ctrl+1").ok());
    EXPECT_EQ(form.BrowseSource, 0);
}

} // namespace
} // namespace glw::main::test
