#include "KeyRules.h"

#include "conversion/TimingCheck.h"

#include <utility>

namespace mouthkey {

KeyRules::KeyRules(const TargetChoices& choices, std::unique_ptr<DocumentTarget> target)
    : m_offset(choices.offset), m_holds(choices.holds()),
      m_mapping(buildMapping(choices.setIndex, choices.letters)), m_target(std::move(target)),
      m_drawings(dynamic_cast<DrawingTarget*>(m_target.get())),
      m_keyframeLines(dynamic_cast<KeyframeLinesTarget*>(m_target.get())) {
    m_target->head();
}

void KeyRules::named(std::uint64_t cueFrame, std::string_view name, const CuePlace& place) {
    const auto frame = keyFrame(cueFrame, place, 0, name);
    if (!frame) {
        return;
    }
    // Without hold steps, what a key shows is never asked.
    if (m_holds) {
        const std::string_view value = m_mapping.find(name).value_or(name);
        if (holdStepBefore(true, value != m_beforeValue, *frame, m_before.frame)) {
            m_target->key({*frame - 1, m_beforeName, 0, {}});
            ++m_holdSteps;
        }
        m_beforeName.assign(name);
        m_beforeValue.assign(value);
    }
    m_target->key({*frame, name, 0, {}});
    m_before.frame = *frame;
}

void KeyRules::noDrawing(std::string_view name, const CuePlace& place) {
    if (m_mapping.find(name)) {
        m_findings.add(Finding::Kind::NoDrawing, place, [&] { return quotedText(name); });
    }
}

void KeyRules::holdBeforeZero(std::uint64_t cueFrame, const CuePlace& place, std::size_t drawing,
                              std::string_view name) {
    // After a key is written, one at frame 0 would follow a later one.
    if (m_before.frame != noKeyYet) {
        leaveOutBeforeZero(cueFrame, place);
        return;
    }
    if (m_early) {
        leaveOutBeforeZero(m_early->cueFrame, m_early->place);
    }
    m_early = Early{cueFrame, place, drawing, std::string(name)};
}

// The key held for frame 0, before the first key at `frame`: written, or
// left out when that key is at frame 0 itself.
void KeyRules::settleEarly(std::uint64_t frame) {
    const Early held = std::move(*m_early);
    m_early.reset();
    if (frame == 0) {
        leaveOutBeforeZero(held.cueFrame, held.place);
    } else {
        writeAtZero(held);
    }
}

void KeyRules::writeAtZero(const Early& held) {
    m_target->key({0, held.name, held.drawing, {}});
    m_before = {0, held.drawing};
    if (m_holds && !m_drawings) {
        m_beforeName = held.name;
        m_beforeValue = m_mapping.find(held.name).value_or(held.name);
    }
}

void KeyRules::leaveOutBeforeZero(std::uint64_t cueFrame, const CuePlace& place) {
    m_findings.add(Finding::Kind::BeforeFrameZero, place, "");
    m_firstBeforeZero = m_firstBeforeZero.value_or(cueFrame);
}

TargetResult KeyRules::finish() {
    if (m_early) {
        writeAtZero(*m_early);
        m_early.reset();
    }
    m_target->tail();
    TargetResult result;
    result.keyframes = m_target->keyframes();
    result.holdSteps = m_holdSteps + (m_drawings ? m_drawings->holdSteps() : 0);
    result.findings = m_findings.take();
    for (Finding& f : result.findings) {
        if (f.kind == Finding::Kind::BeforeFrameZero) {
            f.frames[0] = *m_firstBeforeZero;
        }
    }
    return result;
}

} // namespace mouthkey
