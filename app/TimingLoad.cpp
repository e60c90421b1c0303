#include "TimingLoad.h"

#include "app/BusyCursor.h"
#include "app/LoadedFileWatch.h"
#include "textinput/FileBytes.h"
#include "textinput/TakeReading.h"
#include "textinput/TextDecoding.h"

#include "conversion/CueEdits.h"
#include "conversion/FrameTime.h"

#include <QFileInfo>

#include <algorithm>

namespace mouthkey {

TimingLoad::TimingLoad(QObject* parent) : QObject(parent), m_watch(new LoadedFileWatch(this)) {
    connect(m_watch, &LoadedFileWatch::changedOnDisk, this, &TimingLoad::changedOnDisk);
}

std::optional<IoError> TimingLoad::read(const QUrl& url, const FrameRate& rate) {
    const QString path = url.toLocalFile();
    const QFileInfo info(path);
    const FileBytes read = readFileBytes(path, SourceKinds::RegularFilesOnly);
    if (read.error) {
        return read.error;
    }
    DecodedText decoded = decodeToUtf8(read.bytes);
    if (decoded.error) {
        return decoded.error;
    }

    const auto format = detectFormat(decoded.text, info.fileName());
    if (!format) {
        return unknownFormatError();
    }
    std::optional<Take> take = readTake(*format, decoded.text);

    // Only now, with the text safely in hand, is the new file claimed.
    m_loaded.emplace();
    m_loaded->source = info.fileName();
    m_loaded->notice = encodingGuessNotice(decoded.guess);
    m_loaded->format = format;
    m_loaded->style = styleOfText(decoded.text, *format);
    m_loaded->encoding = encodingOf(read.bytes);
    if (take) {
        m_loaded->letters = take->letters;
        m_loaded->take = std::make_shared<const Take>(std::move(*take));
        std::string().swap(m_newdat);
    } else {
        m_newdat = std::move(decoded.text);
    }
    readAgain(rate);
    m_url = url;
    m_path = info.absoluteFilePath();
    m_watch->watch(m_path);
    return std::nullopt;
}

void TimingLoad::loadTimedSound(const QUrl& url, Take take, const std::vector<std::string>& notes,
                                std::uint64_t minHold, const FrameRate& rate) {
    const QFileInfo info(url.toLocalFile());
    for (const std::string& note : notes) {
        Finding finding{
            Finding::Kind::SoundTimingNote, {}, note, Finding::Hint::None, {}, {}, 0, false};
        take.findings.push_back(std::move(finding));
    }
    // The sound it plays with is its own, beside it as a project's would be.
    take.soundFile = info.fileName().toStdString();
    m_loaded.emplace();
    m_loaded->source = info.fileName();
    m_loaded->timedFromSound = true;
    m_loaded->cleanUp.minHold = minHold;
    m_loaded->letters = take.letters;
    m_loaded->take = std::make_shared<const Take>(std::move(take));
    std::string().swap(m_newdat);
    readAgain(rate);
    m_url = url;
    m_path = info.absoluteFilePath();
    m_watch->watch(m_path);
}

std::int64_t TimingLoad::workBytes() const {
    // A cue is about a .dat line's worth.
    constexpr std::int64_t bytesPerCue = 8;
    return m_loaded && m_loaded->take
               ? static_cast<std::int64_t>(m_loaded->cues.size()) * bytesPerCue
               : static_cast<std::int64_t>(m_newdat.size());
}

void TimingLoad::readAgain(const FrameRate& rate) {
    if (m_loaded) {
        mouthkey::readAgain(*m_loaded, m_newdat, rate);
    }
}

bool TimingLoad::setLetters(bool letters, const FrameRate& rate) {
    if (!m_loaded || m_loaded->letters == letters || (m_loaded->take && m_loaded->take->letters)) {
        return false;
    }
    const BusyCursor busy(workBytes());
    m_loaded->letters = letters;
    readAgain(rate);
    return true;
}

bool TimingLoad::setVoice(int voice, const FrameRate& rate) {
    if (!m_loaded || !m_loaded->take || voice < 0 ||
        static_cast<std::size_t>(voice) >= m_loaded->take->voices.size() ||
        static_cast<std::size_t>(voice) == m_loaded->voice) {
        return false;
    }
    m_loaded->voice = static_cast<std::size_t>(voice);
    m_loaded->edited = false; // another voice's cues, as read
    readAgain(rate);
    return true;
}

std::vector<Cue>& TimingLoad::cuesForEditing() {
    static std::vector<Cue> none;
    if (!m_loaded) {
        return none;
    }
    std::vector<Cue>& cues = m_loaded->cues;
    if (!m_loaded->take && cues.empty()) {
        const BusyCursor busy(workBytes());
        cues = datCues(m_newdat, nullptr);
        if (cues.size() != m_loaded->track.size()) {
            // Selections count cues: the track shows the same ones.
            m_loaded->track = KeyframeTrack::fromCues(inFrameOrder(cues), m_loaded->letters);
        }
    }
    if (!framesRise(cues)) {
        cues = inFrameOrder(std::move(cues));
    }
    return cues;
}

void TimingLoad::cuesEdited(const FrameRate& rate, const CueSplice& splice) {
    if (!m_loaded) {
        return;
    }
    LoadedTiming& loaded = *m_loaded;
    if (loaded.edited) {
        // The checks see the whole take; the track changes where the cues did.
        loaded.report = checkCues(*loaded.take, loaded.cues, rate);
        loaded.track.splice(splice.first, splice.removed,
                            std::span(loaded.cues).subspan(splice.first, splice.added));
        return;
    }
    // A take in frames of its own: the .dat text's findings of lines that
    // are no cues stay with it, and seconds become frames at this rate.
    Take take;
    if (loaded.take) {
        take = *loaded.take;
    } else {
        datCues(m_newdat, &take.findings);
        std::string().swap(m_newdat);
        take.voices.assign(1, TakeVoice{});
    }
    if (take.timedInSeconds()) {
        take.timed.clear();
        take.voices.assign(1, TakeVoice{});
        take.framesPerSecond = framesPerSecond(rate);
        take.framesPerSecondText = rate.title();
        loaded.voice = 0;
    }
    loaded.take = std::make_shared<const Take>(std::move(take));
    loaded.edited = true;
    mouthkey::readAgain(loaded, m_newdat, rate);
}

std::uint64_t TimingLoad::linesNotCues() const {
    if (!m_loaded) {
        return 0;
    }
    std::vector<Finding> found;
    if (m_loaded->take) {
        found = m_loaded->take->findings;
    } else {
        datCues(m_newdat, &found);
    }
    std::uint64_t lines = 0;
    for (const Finding& f : found) {
        lines += f.kind == Finding::Kind::UnreadableLine ? f.lines.count : 0;
    }
    return lines;
}

void TimingLoad::savedAs(const QString& path, const TimingFormat& format) {
    if (!m_loaded) {
        return;
    }
    const QFileInfo info(path);
    m_loaded->source = info.fileName();
    m_loaded->format = &format;
    m_loaded->timedFromSound = false;
    m_url = QUrl::fromLocalFile(info.absoluteFilePath());
    m_path = info.absoluteFilePath();
    watchAgain();
}

void TimingLoad::watchAgain() {
    m_watch->watch(m_path);
}

TargetResult TimingLoad::write(const TargetChoices& choices, const ChunkSink& sink,
                               std::vector<Finding>& leftOut) const {
    // A take's cues keep the places they were read at, for the findings;
    // a .dat text's are read as they are written.
    TargetWriter writer(choices, sink);
    LineSample others;
    if (m_loaded && m_loaded->take) {
        for (const Cue& cue : m_loaded->cues) {
            writer.feed(cue);
        }
    } else {
        writer.feedDat(m_newdat, others);
    }
    TargetResult result = writer.finish();
    if (others.count > 0) {
        leftOut.push_back(linesLeftOut(others));
    }
    leftOut.insert(leftOut.end(), result.findings.begin(), result.findings.end());
    return result;
}

} // namespace mouthkey
