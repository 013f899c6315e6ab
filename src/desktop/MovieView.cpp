// The movie player control's view without a player.
#include "MovieView.h"

#include "Colors.h"
#include "FormWindow.h"
#include "Layout.h"
#include "QtDriver.h"
#include "Views.h"
#include "forms/Form.h"
#include "platform/WinPath.h"

#include <QPainter>

namespace glw::qt {

OutlineMovieView::OutlineMovieView(FormWindow& window, forms::FlashPlayer& player)
    : ControlView(window, player), m_player(player) {}

QWidget* OutlineMovieView::createWidget(QWidget* parent) {
    auto* widget = new MovieWidget(parent);
    widget->setFocusPolicy(m_player.canFocus() ? Qt::ClickFocus : Qt::NoFocus);
    widget->resized = [this] { posterWanted(); };
    return widget;
}

void OutlineMovieView::applyOwn(forms::PropertyId property) {
    using forms::PropertyId;
    if (!wants(property, PropertyId::Movie) && !wants(property, PropertyId::BGColor) &&
        !wants(property, PropertyId::ScaleMode) && !wants(property, PropertyId::FlashVars) &&
        !wants(property, forms::FlashPlayer::kVariableSet)) {
        return;
    }
    if (wants(property, PropertyId::Movie)) {
        probe();
    }
    MovieWidget::State state;
    if (auto colour = fromHtmlColor(std::string(m_player.BGColor))) {
        state.background = *colour;
    }
    state.movieSize = m_size;
    state.scaleMode = m_player.ScaleMode;
    state.name = QString::fromStdString(platform::splitSystemPath(m_player.moviePath()).second);
    QStringList values;
    for (const auto& [name, value] : m_player.variables()) {
        if (!value.empty() && value != " ") {
            values << QString::fromStdString(value).trimmed();
        }
    }
    state.variables = values.join(u' ');
    movieWidget()->setState(std::move(state));
    posterWanted();
}

void OutlineMovieView::probe() {
    m_size.reset();
    const std::string path = m_player.moviePath();
    const auto& movieProbe = m_player.runtime().services().movieProbe;
    if (path.empty() || !movieProbe) {
        return;
    }
    const std::string host = platform::toHostPath(path);
    if (!host.empty()) {
        m_size = movieProbe->size(host);
    }
}

std::unique_ptr<ControlView> makeMovieView(FormWindow& w, forms::FlashPlayer& c) {
    if (auto* views = w.driver().movieViews()) {
        if (auto view = views->makeView(w, c)) {
            return view;
        }
    }
    return std::make_unique<OutlineMovieView>(w, c);
}

} // namespace glw::qt
