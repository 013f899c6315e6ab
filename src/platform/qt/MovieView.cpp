// The movie player control's view until movies play: its background colour, the movie's frame rectangle
// fitted by the scale mode, and the movie's file name and size, so that every window shows where each movie
// is. A movie that cannot be read leaves the control blank, as the player does.
#include "Colors.h"
#include "FormWindow.h"
#include "Layout.h"
#include "QtDriver.h"
#include "Views.h"
#include "platform/WinPath.h"
#include "platform/forms/FlashPlayer.h"
#include "platform/forms/Form.h"
#include "platform/forms/Runtime.h"

#include <QPainter>
#include <optional>

namespace glw::qt {

namespace {

class MovieWidget : public QWidget {
public:
    struct State {
        QColor background = Qt::white;
        std::optional<forms::MovieSize> movieSize; // nullopt: no movie, or one that cannot be read
        int scaleMode = 0;
        QString name;      // the movie's file name
        QString variables; // the values the program set in the running movie (a panel's title)
    };

    using QWidget::QWidget;
    void setState(State state) {
        m_state = std::move(state);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), m_state.background);
        if (!m_state.movieSize)
            return;
        const auto& size = *m_state.movieSize;
        const PixelBox frame = fitMovie(m_state.scaleMode, width(), height(), size.width, size.height);
        const QRect frameRect(frame.x, frame.y, frame.width, frame.height);
        const bool dark = m_state.background.lightnessF() < 0.5;
        const QColor ink = dark ? QColor(255, 255, 255) : QColor(0, 0, 0);
        QColor tint = ink;
        tint.setAlpha(18);
        painter.fillRect(frameRect, tint);
        QColor edge = ink;
        edge.setAlpha(110);
        painter.setPen(QPen(edge, 1, Qt::DashLine));
        painter.drawRect(frameRect.adjusted(0, 0, -1, -1));

        // The text goes over the whole control: a banner's frame may be far flatter than a line of text.
        const QRect textRect = rect().adjusted(3, 2, -3, -2);
        if (textRect.width() < 24 || textRect.height() < 8)
            return;
        QFont font = painter.font();
        font.setPointSizeF(7.5);
        painter.setFont(font);
        painter.setPen(ink);
        const int lineHeight = painter.fontMetrics().height();
        QStringList lines;
        if (!m_state.variables.isEmpty())
            lines << m_state.variables; // a panel's title: the movie's name follows when there is room
        lines << m_state.name << QStringLiteral("%1 x %2 px").arg(size.width).arg(size.height);
        while (lines.size() > 1 && lineHeight * int(lines.size()) > textRect.height())
            lines.removeLast();
        QStringList shown;
        for (const QString& line : lines)
            shown << painter.fontMetrics().elidedText(line, Qt::ElideRight, textRect.width());
        painter.drawText(textRect, Qt::AlignCenter, shown.join(u'\n'));
    }

private:
    State m_state;
};

class MovieView : public ControlView {
public:
    MovieView(FormWindow& window, forms::FlashPlayer& player) : ControlView(window, player), m_player(player) {}

    QSize defaultSize() const override { return QSize(120, 90); }

protected:
    QWidget* createWidget(QWidget* parent) override {
        auto* widget = new MovieWidget(parent);
        widget->setFocusPolicy(m_player.canFocus() ? Qt::ClickFocus : Qt::NoFocus);
        return widget;
    }

    void applyOwn(std::string_view property) override {
        if (!wants(property, "Movie") && !wants(property, "BGColor") && !wants(property, "ScaleMode") &&
            !wants(property, forms::FlashPlayer::kVariableSet))
            return;
        if (wants(property, "Movie"))
            probe();
        MovieWidget::State state;
        if (auto colour = fromHtmlColor(std::string(m_player.BGColor)))
            state.background = *colour;
        state.movieSize = m_size;
        state.scaleMode = m_player.ScaleMode;
        state.name = QString::fromStdString(platform::splitSystemPath(m_player.moviePath()).second);
        QStringList values;
        for (const auto& [name, value] : m_player.variables())
            if (!value.empty() && value != " ")
                values << QString::fromStdString(value).trimmed();
        state.variables = values.join(u' ');
        static_cast<MovieWidget*>(m_widget.data())->setState(std::move(state));
    }

private:
    void probe() {
        m_size.reset();
        const std::string path = m_player.moviePath();
        const auto& movieProbe = m_player.runtime().services().movieProbe;
        if (path.empty() || !movieProbe)
            return;
        const std::string host = platform::toHostPath(path);
        if (!host.empty())
            m_size = movieProbe(host);
    }

    forms::FlashPlayer& m_player;
    std::optional<forms::MovieSize> m_size;
};

} // namespace

std::unique_ptr<ControlView> makeMovieView(FormWindow& w, forms::FlashPlayer& c) {
    return std::make_unique<MovieView>(w, c);
}

} // namespace glw::qt
