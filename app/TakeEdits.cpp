#include "app/TakeEdits.h"

#include <QUndoCommand>
#include <QUndoStack>

#include <algorithm>

namespace mouthkey {

namespace {

QString counted(std::size_t n, const char* one, const char* many) {
    return n == 1 ? QString::fromLatin1(one) : QString::fromLatin1(many);
}

// An undo step over the take's cues. Each keeps only what it changes, so
// that an edit costs the same on ten cues as on a million.
class CueCommand : public QUndoCommand {
public:
    CueCommand(TakeEdits& edits, const QString& text) : QUndoCommand(text), m_edits(edits) {}

protected:
    TakeEdits& m_edits;
};

class MoveCues final : public CueCommand {
public:
    MoveCues(TakeEdits& edits, CueRange range, std::int64_t frames)
        : CueCommand(edits, counted(range.size(), "Move Cue", "Move Cues")), m_range(range),
          m_frames(frames) {}
    void redo() override { apply(m_frames); }
    void undo() override { apply(-m_frames); }

private:
    void apply(std::int64_t frames) {
        std::vector<Cue>& cues = m_edits.beginSplice(m_range.first, m_range.size(), m_range.size());
        moveCues(cues, m_range, frames);
        m_edits.endSplice(m_range);
    }
    CueRange m_range;
    std::int64_t m_frames;
};

class ChangeMouth final : public CueCommand {
public:
    ChangeMouth(TakeEdits& edits, CueRange range, std::string name)
        : CueCommand(edits, QStringLiteral("Change Mouth")), m_range(range),
          m_name(std::move(name)) {}
    void redo() override {
        std::vector<Cue>& cues = m_edits.beginSplice(m_range.first, m_range.size(), m_range.size());
        m_old.clear();
        for (std::size_t i = m_range.first; i <= m_range.last; ++i) {
            m_old.push_back(std::exchange(cues[i].name, m_name));
        }
        m_edits.endSplice(m_range);
    }
    void undo() override {
        std::vector<Cue>& cues = m_edits.beginSplice(m_range.first, m_range.size(), m_range.size());
        for (std::size_t i = m_range.first; i <= m_range.last; ++i) {
            cues[i].name = std::move(m_old[i - m_range.first]);
        }
        m_edits.endSplice(m_range);
    }

private:
    CueRange m_range;
    std::string m_name;
    std::vector<std::string> m_old;
};

// Cues [at, at + removed) give way to others, and back: an insert removes
// none, a delete adds none.
class ReplaceCues final : public CueCommand {
public:
    ReplaceCues(TakeEdits& edits, const QString& text, std::size_t at, std::size_t removed,
                std::vector<Cue> added)
        : CueCommand(edits, text), m_at(at), m_removed(removed), m_other(std::move(added)) {}
    void redo() override { swap(); }
    void undo() override { swap(); }

private:
    // The cues out of the take and those in it change places.
    void swap() {
        std::vector<Cue>& cues = m_edits.beginSplice(m_at, m_removed, m_other.size());
        const auto from = cues.begin() + static_cast<std::ptrdiff_t>(m_at);
        std::vector<Cue> out(
            std::make_move_iterator(from),
            std::make_move_iterator(from + static_cast<std::ptrdiff_t>(m_removed)));
        const auto at = cues.erase(from, from + static_cast<std::ptrdiff_t>(m_removed));
        cues.insert(at, std::make_move_iterator(m_other.begin()),
                    std::make_move_iterator(m_other.end()));
        const std::size_t added = m_other.size();
        m_removed = added;
        m_other = std::move(out);
        m_edits.endSplice(added > 0 ? std::optional(CueRange{m_at, m_at + added - 1})
                                    : std::nullopt);
    }

    std::size_t m_at;
    std::size_t m_removed;
    std::vector<Cue> m_other; // the cues out of the take
};

} // namespace

TakeEdits::TakeEdits(QObject* parent) : QObject(parent), m_undo(new QUndoStack(this)) {
    connect(m_undo, &QUndoStack::cleanChanged, this,
            [this](bool clean) { emit modifiedChanged(!clean || m_unsaved); });
}

TakeEdits::~TakeEdits() {
    // The stack clears itself as it goes, and nothing may hear that from an
    // object half destroyed.
    m_undo->blockSignals(true);
    delete m_undo;
}

void TakeEdits::reset(CueSource source, std::size_t cueCount, bool unsaved) {
    const bool wasModified = modified();
    m_undo->blockSignals(true);
    m_undo->clear();
    m_undo->blockSignals(false);
    m_unsaved = unsaved;
    m_source = std::move(source);
    m_cues = nullptr;
    m_count = cueCount;
    m_anchor = 0;
    if (m_selection) {
        m_selection.reset();
        emit selectionChanged(m_selection);
    }
    if (wasModified != modified()) {
        emit modifiedChanged(modified());
    }
    emit cuesReset();
}

const std::vector<Cue>& TakeEdits::cues() {
    if (!m_cues) {
        static std::vector<Cue> none;
        m_cues = m_source ? &m_source() : &none;
        m_count = m_cues->size();
    }
    return *m_cues;
}

std::size_t TakeEdits::cueCount() const {
    return m_cues ? m_cues->size() : m_count;
}

bool TakeEdits::modified() const {
    return !m_undo->isClean() || m_unsaved;
}

void TakeEdits::markSaved() {
    const bool wasUnsavedOnly = m_unsaved && m_undo->isClean();
    m_unsaved = false;
    m_undo->setClean();
    if (wasUnsavedOnly) {
        emit modifiedChanged(false); // a clean stack stays so, and says nothing
    }
}

void TakeEdits::select(std::optional<CueRange> range) {
    if (range && (range->first > range->last || range->last >= cueCount())) {
        range.reset();
    }
    if (range && (!m_selection || !m_selection->contains(m_anchor))) {
        m_anchor = range->first;
    }
    if (range == m_selection) {
        return;
    }
    m_selection = range;
    emit selectionChanged(m_selection);
}

void TakeEdits::selectCue(std::size_t index, bool extend) {
    if (index >= cueCount()) {
        return;
    }
    if (!extend || !m_selection) {
        m_anchor = index;
        select(CueRange{index, index});
        return;
    }
    m_selection = CueRange{std::min(m_anchor, index), std::max(m_anchor, index)};
    emit selectionChanged(m_selection);
}

bool TakeEdits::push(QUndoCommand* command) {
    if (!m_source) {
        delete command; // no take to edit
        return false;
    }
    m_undo->push(command);
    return true;
}

bool TakeEdits::moveSelection(std::int64_t frames) {
    if (!m_selection) {
        return false;
    }
    const std::int64_t allowed = moveLimit(cues(), *m_selection, frames);
    return allowed != 0 && push(new MoveCues(*this, *m_selection, allowed));
}

bool TakeEdits::setFrame(std::size_t index, std::uint64_t frame) {
    if (index >= cues().size()) {
        return false;
    }
    const std::uint64_t to = frameWithin(cues(), index, frame);
    const std::int64_t frames =
        static_cast<std::int64_t>(to) - static_cast<std::int64_t>(cues()[index].frame);
    return frames != 0 && push(new MoveCues(*this, CueRange{index, index}, frames));
}

bool TakeEdits::changeMouth(const std::string& name) {
    if (!m_selection || name.empty()) {
        return false;
    }
    const std::vector<Cue>& all = cues();
    const bool same = std::all_of(all.begin() + static_cast<std::ptrdiff_t>(m_selection->first),
                                  all.begin() + static_cast<std::ptrdiff_t>(m_selection->last + 1),
                                  [&](const Cue& c) { return c.name == name; });
    return !same && push(new ChangeMouth(*this, *m_selection, name));
}

bool TakeEdits::changeMouthAt(std::size_t index, const std::string& name) {
    if (index >= cues().size() || name.empty() || cues()[index].name == name) {
        return false;
    }
    return push(new ChangeMouth(*this, CueRange{index, index}, name));
}

bool TakeEdits::insertAt(std::uint64_t frame) {
    const std::vector<Cue>& all = cues();
    const std::optional<InsertPlace> place = insertPlace(all, frame);
    if (!place) {
        return false;
    }
    const std::optional<std::size_t> before = cueInForce(all, place->frame);
    Cue cue{place->frame, before ? all[*before].name : std::string("rest"), {}};
    std::vector<Cue> added{std::move(cue)};
    return push(
        new ReplaceCues(*this, QStringLiteral("Insert Cue"), place->index, 0, std::move(added)));
}

bool TakeEdits::replaceAll(std::vector<Cue> cues, const QString& text) {
    cues = inFrameOrder(std::move(cues));
    if (cues == this->cues()) {
        return false;
    }
    return push(new ReplaceCues(*this, text, 0, this->cues().size(), std::move(cues)));
}

bool TakeEdits::deleteSelection() {
    return m_selection && deleteRange(*m_selection);
}

bool TakeEdits::deleteRange(CueRange range) {
    if (range.first > range.last || range.last >= cues().size()) {
        return false;
    }
    return push(new ReplaceCues(*this, counted(range.size(), "Delete Cue", "Delete Cues"),
                                range.first, range.size(), {}));
}

std::vector<Cue>& TakeEdits::beginSplice(std::size_t first, std::size_t removed,
                                         std::size_t added) {
    cues();
    std::vector<Cue>& all = *m_cues;
    m_pendingFirst = first;
    m_pendingRemoved = removed;
    m_pendingAdded = added;
    emit aboutToSplice(first, removed, added);
    return all;
}

void TakeEdits::endSplice(std::optional<CueRange> selection) {
    const std::size_t first = m_pendingFirst.value_or(0);
    m_pendingFirst.reset();
    m_count = m_cues->size();
    emit spliced(first, m_pendingRemoved, m_pendingAdded);
    emit changed(first, m_pendingRemoved, m_pendingAdded);
    m_anchor = selection ? selection->first : 0;
    select(selection);
}

} // namespace mouthkey
