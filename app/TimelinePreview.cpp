#include "app/TimelinePreview.h"

#include "TimelineMouthChoice.h"
#include "app/LocaleNumbers.h"
#include "conversion/TimingCheck.h"
#include "textinput/Utf8Text.h"

#include <QScrollBar>

#include <map>

namespace mouthkey {

TimelinePreview::TimelinePreview(QWidget* parent)
    : QWidget(parent), m_scroll(new QScrollBar(Qt::Horizontal, this)) {
    setObjectName(QStringLiteral("keyframePreview"));
    setAccessibleName(tr("Keyframe preview"));
    setAccessibleDescription(tr("No timing file loaded"));
    setMouseTracking(true);
    // Tab reaches it after the form, so that its keys serve those who do not hover.
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_scroll->setObjectName(QStringLiteral("timelineScroll"));
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->setRange(0, 0);
    connect(m_scroll, &QScrollBar::valueChanged, this, &TimelinePreview::followScrollBar);
    buildMenu();
}

TimelinePreview::~TimelinePreview() = default;

QSize TimelinePreview::sizeHint() const {
    // Tall enough, in a window at its first size, to work on a take beside a few findings.
    return {480, 300};
}

QSize TimelinePreview::minimumSizeHint() const {
    return {200, 180};
}

void TimelinePreview::setTrack(KeyframeTrack track) {
    m_track = std::move(track);
    m_hasTrack = true;
    fitTrack();
    m_from = m_fitFrom;
    m_to = m_fitTo;
    m_cursorX.reset();
    m_hoverKeyframe.reset();
    m_playhead.reset();
    m_selection.reset();
    m_activeEnd.reset();
    m_drag.reset();
    nameHeights(); // a letter take's keys are drawn by their letters
    countMarked();
    showFrames(static_cast<double>(m_from), fitSpan());
    emit previewChanged();
}

void TimelinePreview::setEditedTrack(KeyframeTrack track) {
    const bool all = showsAll();
    const std::uint64_t from = m_from;
    const std::uint64_t span = m_to - m_from;
    m_track = std::move(track);
    m_hasTrack = true;
    fitTrack();
    m_hoverKeyframe.reset();
    m_drag.reset();
    if (m_selection && m_selection->last >= m_track.size()) {
        m_selection.reset();
        m_activeEnd.reset();
    }
    nameHeights();
    countMarked();
    if (all) {
        showFrames(static_cast<double>(m_fitFrom), fitSpan());
    } else {
        showFrames(static_cast<double>(from), std::min(span, fitSpan()));
    }
    emit previewChanged();
}

void TimelinePreview::countMarked() {
    m_marked = m_track.withoutPosition(m_unplaced);
    QString description = tr("No keyframes");
    if (!m_track.empty()) {
        description =
            (m_track.size() == 1
                 ? tr("1 keyframe, at frame %1").arg(localeNumber(m_track.firstFrame()))
                 : tr("%1 keyframes, frames %2 to %3")
                       .arg(localeNumber(m_track.size()), localeNumber(m_track.firstFrame()),
                            localeNumber(m_track.lastFrame())));
        if (m_marked > 0) {
            description += (m_chart ? tr("; %1 without a drawing") : tr("; %1 without a position"))
                               .arg(localeNumber(m_marked));
        }
    }
    setAccessibleDescription(description);
}

bool TimelinePreview::placed(const KeyframeTrack::Keyframe& k) const {
    return k.name == KeyframeTrack::Name::Phoneme && ((m_unplaced >> k.nameBit) & 1) == 0;
}

void TimelinePreview::setSetIndex(int setIndex) {
    if (setIndex == m_setIndex) {
        return;
    }
    m_setIndex = setIndex;
    nameHeights();
    countMarked();
    m_linesValid = false;
    update();
    emit previewChanged();
}

void TimelinePreview::setChart(std::optional<MouthChart> chart) {
    if (chart == m_chart) {
        return;
    }
    m_chart = std::move(chart);
    nameHeights();
    countMarked();
    m_linesValid = false; // the plot's left edge moves with the names' width
    placeScrollBar();
    update();
    emit previewChanged();
}

// Each height the set places a key at is named by the first name of the
// drawing the chart gives that key; keys of one height that the chart gives
// different drawings share the name, "AI/E".
void TimelinePreview::nameHeights() {
    m_axisNames.clear();
    m_unplaced = 0;
    if (!m_chart) {
        return;
    }
    // As the document writer looks them up: by the name a key is written as,
    // which for a letter take is its letter.
    m_unplaced = m_track.undrawn(*m_chart);
    std::map<int, QStringList> names;
    for (std::size_t bit = 0; bit < KeyframeTrack::keyNames; ++bit) {
        const int key = m_track.keyOfName(bit);
        const auto drawing =
            key < 0 ? std::nullopt
                    : m_chart->drawingOf(KeyframeTrack::keyName(bit), m_track.letters());
        if (drawing) {
            QStringList& at = names[positionX(m_setIndex, key)];
            const QString name = toQString(m_chart->drawings()[*drawing].front());
            if (!at.contains(name)) {
                at << name;
            }
        }
    }
    for (const auto& [x, at] : names) {
        m_axisNames.append({x, at.join(u'/')});
    }
}

void TimelinePreview::setRate(const FrameRate& rate) {
    if (rate == m_rate) {
        return;
    }
    m_rate = rate;
    m_linesValid = false; // the sound's seconds of each frame change
    update();
    emit previewChanged();
}

QString TimelinePreview::describe(std::size_t index) const {
    const KeyframeTrack::Keyframe k = m_track.at(index);
    const QString time = toQString(frameTimeText(k.frame, m_rate, numberFormatOf()));
    QString text = tr("Frame %1").arg(localeNumber(k.frame));
    if (!time.isEmpty()) {
        text += QStringLiteral(" (%1)").arg(time);
    }
    text += QStringLiteral(" \u00B7 ");
    switch (k.name) {
    case KeyframeTrack::Name::Phoneme: {
        const std::string_view key = phonemeKeys[static_cast<std::size_t>(k.phoneme)];
        if (m_chart) {
            const auto drawing = m_chart->drawingOf(k.written, m_track.letters());
            return text + toQString(key) +
                   (drawing ? tr(" \u00B7 drawing %1").arg(localeNumber(*drawing))
                            : tr(" \u00B7 no drawing: left out"));
        }
        return text + toQString(key) + tr(" \u00B7 X %1").arg(positionX(m_setIndex, k.phoneme));
    }
    case KeyframeTrack::Name::Unknown:
        return text +
               (k.text.empty() ? tr("an unknown name")
                               : tr("unknown name '%1'").arg(toQString(k.text))) +
               tr(" \u00B7 no position: %1")
                   .arg(toQString(findingOutcome(Finding::Kind::UnknownPhoneme)));
    case KeyframeTrack::Name::NotAKeyframe:
        return text + tr("not a FRAME PHONEME line \u00B7 no position");
    }
    return text;
}

QString TimelinePreview::describeAt(double x) const {
    const auto index = keyframeAt(x);
    return index ? describe(*index) : QString();
}

void TimelinePreview::setSelection(std::optional<CueRange> range) {
    if (range && (range->first > range->last || range->last >= m_track.size())) {
        range.reset();
    }
    if (range == m_selection) {
        return;
    }
    m_selection = range;
    // The end the arrows went to stays the one they move, while it is an end.
    if (!range || !m_activeEnd || (*m_activeEnd != range->first && *m_activeEnd != range->last)) {
        m_activeEnd = range ? std::optional(range->last) : std::nullopt;
    }
    if (range) {
        QString text = describe(range->first);
        if (range->size() > 1) {
            text += tr("; %1 cues selected").arg(localeNumber(range->size()));
        }
        setAccessibleDescription(text);
    } else {
        countMarked();
    }
    update();
}

// A letter take's letters come first, as it names its mouths by them.
QStringList TimelinePreview::mouthNames() const {
    QStringList names;
    for (const std::string_view name : cueNames(m_track.letters())) {
        names << toQString(name);
    }
    return names;
}

} // namespace mouthkey
