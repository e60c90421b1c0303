#pragma once

#include "app/LoadedTiming.h"
#include "conversion/ChunkSink.h"
#include "textinput/IoError.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <optional>
#include <string>
#include <vector>

namespace mouthkey {

class LoadedFileWatch;

// The timing file the window has loaded: its text or its take, read once,
// what the checks found in it and its track, and a watch on it on disk.
class TimingLoad : public QObject {
    Q_OBJECT
public:
    explicit TimingLoad(QObject* parent = nullptr);

    // Reads a local file and, only once its text is safely in hand, loads it in
    // place of the one loaded, read at `rate`. What loaded before stays on failure.
    std::optional<IoError> read(const QUrl& url, const FrameRate& rate);

    // Loads a take timed from the speech of the sound file at `url` in place
    // of the one loaded, unsaved, each mouth held `minHold` frames at least.
    // `notes` say what the timing noticed, as findings.
    void loadTimedSound(const QUrl& url, Take take, const std::vector<std::string>& notes,
                        std::uint64_t minHold, const FrameRate& rate);

    const std::optional<LoadedTiming>& loaded() const { return m_loaded; }
    // A .dat file's text; "new dat" until one is read, empty for a take.
    const std::string& newdat() const { return m_newdat; }
    // The file loaded; empty until one has been read.
    const QUrl& url() const { return m_url; }
    const QString& path() const { return m_path; }
    // Bytes of work a pass over the loaded take is like, for the busy cursor.
    std::int64_t workBytes() const;

    // Reads the loaded take again for the current choices: a take's cues at `rate`.
    void readAgain(const FrameRate& rate);
    // Reads letter mouth shapes by their chart or not, and another voice of a
    // project; false when that changes nothing.
    bool setLetters(bool letters, const FrameRate& rate);
    bool setVoice(int voice, const FrameRate& rate);

    // The loaded take's cues in frame order, to be edited; a .dat text's are
    // read from it now. They are a take's own until cuesEdited().
    std::vector<Cue>& cuesForEditing();
    // The cues were edited: from now on they, not the file, are the take,
    // and its report and track follow them.
    // Cues [first, first + removed) became [first, first + added).
    struct CueSplice {
        std::size_t first = 0, removed = 0, added = 0;
    };
    void cuesEdited(const FrameRate& rate, const CueSplice& splice);

    // Lines of the file that are not cues, which a save does not write.
    std::uint64_t linesNotCues() const;
    // The take was saved as another file, or in another format.
    void savedAs(const QString& path, const TimingFormat& format);
    // The file on disk is the take as it stands: changes from here are news.
    void watchAgain();

    // Writes the loaded take's document for `choices` into `sink`; what it
    // leaves out goes to `leftOut`.
    TargetResult write(const TargetChoices& choices, const ChunkSink& sink,
                       std::vector<Finding>& leftOut) const;

signals:
    // The loaded file was changed, replaced or removed on disk since it was read.
    void changedOnDisk(bool stillExists);

private:
    LoadedFileWatch* m_watch;
    std::optional<LoadedTiming> m_loaded;
    std::string m_newdat = "new dat";
    QUrl m_url;
    QString m_path;
};

} // namespace mouthkey
