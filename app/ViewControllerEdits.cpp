// The controller's side of editing: the edits follow the load, everything
// shown follows each edit, and the take is saved or kept before it is set aside.
#include "app/ViewController.h"

#include "TakeSaving.h"
#include "TimingLoad.h"
#include "app/BusyCursor.h"
#include "app/TakeEdits.h"
#include "app/TakePlayer.h"

#include <QLabel>

namespace mouthkey {

void ViewController::resetEdits() {
    m_edits->reset(
        [this]() -> std::vector<Cue>& {
            const std::size_t shown = loaded()->track.size();
            std::vector<Cue>& cues = m_load->cuesForEditing();
            if (loaded()->track.size() != shown) {
                emit readingChanged(); // the track now has the cues' keyframes
            }
            return cues;
        },
        loaded() ? loaded()->track.size() : 0, loaded() && loaded()->timedFromSound);
}

void ViewController::cuesEdited(std::size_t first, std::size_t removed, std::size_t added) {
    const BusyCursor busy(m_load->workBytes());
    m_load->cuesEdited(rate(), {first, removed, added});
    refreshFindings();
    emit takeEdited();
    showSelected(m_edits->selection());
}

void ViewController::showSelected(std::optional<CueRange> selection) {
    const std::vector<Cue>& cues = m_edits->cues();
    if (selection && selection->first < cues.size()) {
        player().seek(positionOfTrackFrame(cues[selection->first].frame));
    }
}

bool ViewController::mayLeaveTake() {
    return m_saving->mayLeave(m_fileselect ? m_fileselect->window() : nullptr, *m_chooser, rate());
}

void ViewController::save() {
    showSaved(m_saving->save(m_fileselect ? m_fileselect->window() : nullptr, *m_chooser, rate()));
}

void ViewController::saveAs() {
    showSaved(
        m_saving->saveAs(m_fileselect ? m_fileselect->window() : nullptr, *m_chooser, rate()));
}

void ViewController::showSaved(const SaveOutcome& outcome) {
    if (outcome.note) {
        showStatus(*outcome.note);
    }
    if (outcome.saved && loaded()) {
        refreshFindings(); // the lines left out are no longer the file's
    }
}

} // namespace mouthkey
