// The movie player control's view without a player: the background colour, the movie's frame rectangle
// fitted by the scale mode, and the movie's file name and size, or a poster of its first frame put in by a
// player. How movie controls show is chosen once, where the program is put together (MovieViews).
#pragma once

#include "ControlView.h"
#include "Layout.h"
#include "forms/FlashPlayer.h"
#include "forms/Runtime.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

namespace glw::qt {

// Draws a movie control without playing it: its outline, or the poster it was given.
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
    // The movie's first frame, drawn in place of the outline; a null image goes back to the outline.
    void setPoster(const QImage& poster) {
        m_poster = poster;
        update();
    }
    // A see-through widget paints nothing at all: a player under it shows through (the thumbnail cells,
    // whose movies play on one sheet below them).
    void setSeeThrough(bool seeThrough) {
        m_seeThrough = seeThrough;
        update();
    }
    bool isSeeThrough() const { return m_seeThrough; }
    // Called with the widget's new size, so that its poster can be drawn again at that size.
    std::function<void()> resized;

protected:
    void resizeEvent(QResizeEvent*) override {
        if (resized) {
            resized();
        }
    }

    void paintEvent(QPaintEvent*) override {
        if (m_seeThrough) {
            return;
        }
        QPainter painter(this);
        painter.fillRect(rect(), m_state.background);
        if (!m_poster.isNull()) {
            painter.drawImage(rect(), m_poster);
            return;
        }
        if (!m_state.movieSize) {
            return;
        }
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
        if (textRect.width() < 24 || textRect.height() < 8) {
            return;
        }
        QFont font = painter.font();
        font.setPointSizeF(7.5);
        painter.setFont(font);
        painter.setPen(ink);
        const int lineHeight = painter.fontMetrics().height();
        QStringList lines;
        if (!m_state.variables.isEmpty()) {
            lines << m_state.variables; // a panel's title: the movie's name follows when there is room
        }
        lines << m_state.name << QStringLiteral("%1 x %2 px").arg(size.width).arg(size.height);
        while (lines.size() > 1 && lineHeight * int(lines.size()) > textRect.height()) {
            lines.removeLast();
        }
        QStringList shown;
        for (const QString& line : lines) {
            shown << painter.fontMetrics().elidedText(line, Qt::ElideRight, textRect.width());
        }
        painter.drawText(textRect, Qt::AlignCenter, shown.join(u'\n'));
    }

private:
    State m_state;
    QImage m_poster;
    bool m_seeThrough = false;
};

// The view of a movie control that shows its outline (MovieWidget). A player's poster view derives from it
// and puts posters in through posterWanted().
class OutlineMovieView : public ControlView {
public:
    OutlineMovieView(FormWindow& window, forms::FlashPlayer& player);
    QSize defaultSize() const override { return QSize(120, 90); }

protected:
    QWidget* createWidget(QWidget* parent) override;
    void applyOwn(forms::PropertyId property) override;
    // After the movie, its size or its variables changed, and after the widget was resized.
    virtual void posterWanted() {}
    MovieWidget* movieWidget() const { return static_cast<MovieWidget*>(m_widget.data()); }

    forms::FlashPlayer& m_player;

private:
    void probe();

    std::optional<forms::MovieSize> m_size;
};

// How movie controls show, chosen once where the program is put together: a build with the Flash player
// passes views that play (movie::PlayerMovieViews); without one, every movie control shows its outline.
class MovieViews {
public:
    virtual ~MovieViews() = default;
    // The view for a movie control; null for the outline view.
    virtual std::unique_ptr<ControlView> makeView(FormWindow& window, forms::FlashPlayer& player) = 0;
};

} // namespace glw::qt
