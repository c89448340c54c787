#include "transport_strip.h"

#include <wavein/file_player.h>

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QToolButton>

#include <algorithm>
#include <cmath>

namespace vellarin {

namespace {

// The slider counts tenths of a second: fine enough to find a place by hand,
// and a long file still fits an int.
constexpr double slidesPerSecond = 10.0;

}  // namespace

QString playingTime(double seconds)
{
    const auto tenths = static_cast<int64_t>(std::floor(std::max(seconds, 0.0) * 10.0));
    const int64_t s = tenths / 10;
    const QString rest = QStringLiteral("%1.%2").arg(s % 60, 2, 10, QChar(u'0')).arg(tenths % 10);
    if (s >= 3600)
        return QStringLiteral("%1:%2:").arg(s / 3600).arg(s / 60 % 60, 2, 10, QChar(u'0')) + rest;
    return QStringLiteral("%1:").arg(s / 60) + rest;
}

TransportStrip::TransportStrip(QWidget* parent) : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 1, 2, 1);
    m_play = new QToolButton(this);
    m_play->setCheckable(true);
    m_play->setToolTip(QStringLiteral("Play or pause the file; the picture holds while it is paused"));
    m_name = new QLabel(this);
    m_position = new QSlider(Qt::Horizontal, this);
    m_position->setToolTip(QStringLiteral("Where in the file: drag to move there"));
    m_time = new QLabel(this);
    m_loop = new QCheckBox(QStringLiteral("Loop"), this);
    m_listen = new QToolButton(this);
    m_listen->setText(QStringLiteral("Listen"));
    m_listen->setCheckable(true);
    m_note = new QLabel(this);
    // A long reason is clipped here, whole in its tooltip: the window keeps its width.
    m_note->setMaximumWidth(m_note->fontMetrics().averageCharWidth() * 32);
    m_note->hide();
    row->addWidget(m_play);
    row->addWidget(m_name);
    row->addWidget(m_position, 1);
    row->addWidget(m_time);
    row->addWidget(m_loop);
    row->addWidget(m_listen);
    row->addWidget(m_note);

    connect(m_play, &QToolButton::toggled, this, [this](bool playing) {
        m_play->setText(playing ? QStringLiteral("Pause") : QStringLiteral("Play"));
        if (m_player)
            m_player->setPaused(!playing);
    });
    connect(m_loop, &QCheckBox::toggled, this, [this](bool on) {
        if (m_player)
            m_player->setLooping(on);
    });
    // A drag moves the sound only where it is let go; a click or a key at once.
    connect(m_position, &QSlider::sliderReleased, this, [this] { seekTo(m_position->value()); });
    connect(m_position, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove)
            seekTo(m_position->sliderPosition());
    });
    m_play->setChecked(true);
}

void TransportStrip::follow(wavein::FilePlayer* player, const QString& name)
{
    m_player = player;
    m_name->setText(name);
    m_name->setToolTip(name);
    if (!player)
        return;
    const auto& info = player->info();
    const double seconds = info.rate ? double(info.frames) / info.rate : 0.0;
    m_position->setRange(0, int(std::ceil(seconds * slidesPerSecond)));
    m_play->setChecked(!player->paused());
    m_loop->setChecked(player->looping());
    refresh();
}

void TransportStrip::refresh()
{
    if (!m_player)
        return;
    const auto& info = m_player->info();
    const double at = info.rate ? double(m_player->position()) / info.rate : 0.0;
    const double length = info.rate ? double(info.frames) / info.rate : 0.0;
    if (!m_position->isSliderDown())
        m_position->setValue(int(std::lround(at * slidesPerSecond)));
    m_time->setText(playingTime(at) + QStringLiteral(" / ") + playingTime(length));
}

void TransportStrip::seekTo(int tenths)
{
    if (!m_player)
        return;
    m_player->seek(static_cast<int64_t>(std::llround(tenths / slidesPerSecond * m_player->info().rate)));
}

int TransportStrip::pixels() const
{
    return std::max(sizeHint().height(), fontMetrics().height() + 8);
}

}  // namespace vellarin
