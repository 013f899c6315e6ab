// Movie controls that play: the views a build with the Flash player hands the desktop renderer.
#pragma once

#include "desktop/MovieView.h"

#include <QObject>
#include <QPointer>
#include <optional>

namespace glw::qt::movie {

class PosterCache;

// A movie control of its own (the preview, a stub's movie) plays live. Elements of control arrays that take
// the focus (the twelve thumbnail cells, which the user picks from) play live too, all the cells of one
// container on one MovieSheet. Other array elements (the panel titles) show posters of their movie's first
// frame, drawn once by the one poster cache of these views. GLW_MOVIES=posters gives the cells posters as
// well; with GLW_MOVIES=outline, or without the player's files, every movie control shows its outline, and
// a player that cannot start is told to the user once, in a box.
// Made once where the program is put together; lives as long as the driver.
class PlayerMovieViews : public qt::MovieViews {
public:
    PlayerMovieViews();
    ~PlayerMovieViews() override;
    std::unique_ptr<qt::ControlView> makeView(qt::FormWindow& window, forms::FlashPlayer& player) override;

private:
    bool play(QWidget* window);
    PosterCache& posters();

    std::optional<bool> m_play;
    bool m_posterCells = false;
    QPointer<PosterCache> m_posters;
};

} // namespace glw::qt::movie
