#include "app/ViewController.h"

#include "app/BusyCursor.h"
#include "app/ElidedLabel.h"
#include "app/ImageView.h"
#include "app/LocaleNumbers.h"
#include "app/TakePlayer.h"
#include "conversion/DataLineConversion.h"
#include "conversion/KeyframeDocument.h"
#include "conversion/Playback.h"
#include "conversion/TimingCheck.h"
#include "textinput/FileBytes.h"
#include "textinput/MouthChartFile.h"
#include "textinput/TakeReading.h"
#include "textinput/TextDecoding.h"
#include "textinput/Utf8Text.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QSignalBlocker>
#include <QStatusBar>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

namespace mouthkey {

namespace {

const QString noFile = QStringLiteral("None");

// A control the logic relies on must be connected: without it the window
// was put together wrongly, and carrying on would only hide that.
template <class Control> Control& require(const QPointer<Control>& control, const char* name) {
    if (!control) {
        qFatal("Mouthkey: the window has no \"%s\" control connected", name);
    }
    return *control;
}

QString withCapital(QString text) {
    if (!text.isEmpty()) {
        text[0] = text[0].toUpper();
    }
    return text;
}

// The echo of a document's pieces, each a line of its own: the document is
// those pieces joined by newlines, so each line shares the document's bytes.
std::vector<DiagnosticLine> echoOf(const QByteArray& document,
                                   std::initializer_list<std::string_view> pieces) {
    std::vector<DiagnosticLine> lines;
    qsizetype at = 0;
    for (const std::string_view piece : pieces) {
        const auto size = static_cast<qsizetype>(piece.size());
        if (at + size <= document.size() &&
            std::memcmp(document.constData() + at, piece.data(), piece.size()) == 0) {
            lines.push_back({document, at, size});
        } else {
            lines.push_back(DiagnosticLine::copyOf(piece));
        }
        at += size + 1;
    }
    return lines;
}

// A chart file's reading in the window's words: its chart, or why there is
// none; and what it found that still gives one, such as a name listed again.
struct ChartWords {
    std::optional<MouthChart> chart;
    QString problem;
};

ChartWords readChart(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    ChartFile file = readMouthChartFile(path);
    if (file.error) {
        return {{}, file.error->describe(name)};
    }
    QStringList found;
    for (const Finding& finding : file.findings) {
        found << toQString(findingText(finding, numberFormatOf()));
    }
    return {std::move(file.chart), found.isEmpty()
                                       ? QString()
                                       : QStringLiteral("in '%1', %2 (the first listing counts)")
                                             .arg(name, found.join(QStringLiteral("; ")))};
}

// The clipboard takes ownership. Its own function, so that what a platform
// keeps of it past exit can be told apart from our own leaks.
QMimeData* clipboardData(const QByteArray& document) {
    auto* mime = new QMimeData;
    mime->setData(QStringLiteral("text/plain"), document);
    return mime;
}

} // namespace

ViewController::ViewController(std::unique_ptr<FileChooser> chooser, std::ostream& diagnostics,
                               QObject* parent)
    : ViewController(std::move(chooser), std::make_unique<StreamOutput>(diagnostics), parent) {}

ViewController::ViewController(std::unique_ptr<FileChooser> chooser,
                               std::unique_ptr<DiagnosticOutput> diagnostics, QObject* parent)
    : QObject(parent), m_chooser(std::move(chooser)), m_output(std::move(diagnostics)),
      m_fps(rateLine(0)), m_newdat("new dat"), m_headertop(mouthkey::headertop),
      m_headerbottom(mouthkey::headerbottom), m_footer(mouthkey::footer),
      m_mapping(buildMapping(-1)), m_watch(new LoadedFileWatch(this)),
      m_player(new TakePlayer(this)) {
    connect(m_watch, &LoadedFileWatch::changedOnDisk, this, &ViewController::showChangeOnDisk);
    // The take stays loaded; only the sound is gone.
    connect(m_player, &TakePlayer::soundFailed, this, [this](const QString& message) {
        showStatus(StatusMessage::Kind::Failure,
                   withCapital(message) + tr("; the take plays on silently"));
    });
    connect(m_player, &TakePlayer::playingChanged, this, &ViewController::sayWhySilent);
}

ViewController::~ViewController() = default;

void ViewController::viewDidLoad() {
    QComboBox& rates = require(m_frames, "frames");
    QComboBox& sets = require(m_pset, "pset");
    QLabel& label = require(m_fileselect, "fileselect");
    ImageView& picture = require(m_Picture, "Picture");
    QComboBox& target = require(m_target, "target");

    rates.clear();
    for (const std::string_view title : frameRateTitles) {
        rates.addItem(toQString(title));
    }
    if (m_rateField) {
        m_rateField->setText(toQString(rate().title()));
    }
    sets.clear();
    for (const std::string_view title : phonemeSetTitles) {
        sets.addItem(toQString(title));
    }
    target.clear();
    for (const Target t : targets) {
        target.addItem(toQString(targetTitle(t)));
    }
    label.setText(noFile);
    picture.setImageNamed(QStringLiteral("rest"));
}

void ViewController::Opendat() {
    QLabel& label = require(m_fileselect, "fileselect");
    ImageView& picture = require(m_Picture, "Picture");
    require(m_statusline, "statusline");

    const FileChoice choice = m_chooser->chooseDatFile(label.window(), chooserFolder());
    switch (choice.outcome) {
    case FileChoice::Outcome::Confirmed:
        openFile(choice.url);
        return;
    case FileChoice::Outcome::Cancelled:
        // The text loaded earlier stays loaded; only the display is reset.
        writeLine("user cancelled");
        label.setText(noFile);
        label.setToolTip({});
        picture.setImageNamed(QStringLiteral("rest"));
        // The label says "None", but Convert still has the text: say which.
        if (m_loaded) {
            showStatus(StatusMessage::Kind::Done,
                       tr("Open cancelled: %1 is still loaded, and Convert uses it")
                           .arg(m_loaded->source));
        } else {
            StatusMessage::of(*m_statusline).clear();
        }
        return;
    case FileChoice::Outcome::Other:
        writeLine("An open panel will never return anything other than OK or cancel");
        return;
    }
}

void ViewController::openFile(const QUrl& url) {
    QLabel& label = require(m_fileselect, "fileselect");
    ImageView& picture = require(m_Picture, "Picture");
    require(m_statusline, "statusline");

    writeLine(url.toString(QUrl::FullyEncoded).toStdString());
    const QString path = url.toLocalFile();
    if (path.isEmpty()) {
        reportOpenFailure({IoError::Kind::Unreadable, QStringLiteral("not a local file")},
                          url.toDisplayString());
        return;
    }

    const QFileInfo info(path);
    const BusyCursor busy(info.size());
    const FileBytes read = readFileBytes(path, SourceKinds::RegularFilesOnly);
    if (read.error) {
        reportOpenFailure(*read.error, path);
        return;
    }
    DecodedText decoded = decodeToUtf8(read.bytes);
    if (decoded.error) {
        reportOpenFailure(*decoded.error, path);
        return;
    }

    const auto format = detectFormat(decoded.text, info.fileName());
    if (!format) {
        reportOpenFailure(unknownFormatError(), path);
        return;
    }
    std::optional<Take> take = readTake(*format, decoded.text);

    // Only now, with the text safely in hand, does the window claim the new file.
    m_loaded.emplace();
    m_loaded->source = info.fileName();
    m_loaded->notice = encodingGuessNotice(decoded.guess);
    m_loaded->format = format;
    if (take) {
        m_loaded->letters = take->letters;
        m_loaded->take = std::make_shared<const Take>(std::move(*take));
        std::string().swap(decoded.text);
    } else {
        m_newdat = std::move(decoded.text);
    }
    readLoaded(rate());
    label.setText(info.fileName());
    // Tool tips guess at rich text; a path is always shown as spelled.
    label.setToolTip(
        ElidedLabel::wrappingToolTip(QDir::toNativeSeparators(info.absoluteFilePath())));
    picture.setImageNamed(QStringLiteral("smile"));
    const ChartNote chart = useFolderChart(info.absoluteFilePath());
    const ChartNote sound = useSoundFor(info.absoluteFilePath());
    const ChartNote drawings = useFolderDrawings(info.absoluteFilePath());
    QString loadedText = QStringLiteral("Loaded %1").arg(info.fileName());
    for (const QString& note :
         {readingNotice(*m_loaded), m_loaded->notice, chart.text, sound.text, drawings.text}) {
        if (!note.isEmpty()) {
            loadedText += QStringLiteral("; ") + note;
        }
    }
    showStatus(chart.problem || sound.problem || drawings.problem ? StatusMessage::Kind::Notice
                                                                  : StatusMessage::Kind::Done,
               loadedText);

    m_loadedUrl = url;
    m_loadedPath = info.absoluteFilePath();
    m_watch->watch(m_loadedPath);
    m_player->seek(0);
    emit fileLoaded(url);
    emit timingLoaded();
    refreshPlayback();
}

void ViewController::readLoaded(const FrameRate& rate) {
    readAgain(*m_loaded, m_newdat, rate);
    refreshFindings();
}

TargetResult ViewController::writeLoaded(const TargetChoices& choices, const ChunkSink& sink,
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

void ViewController::refreshFindings() {
    if (!m_loaded) {
        return;
    }
    const TargetChoices choices = this->choices();
    std::vector<Finding> leftOut;
    if (!choices.plainPosition()) {
        // What the document would leave out is found by writing it, to nowhere.
        const BusyCursor busy(static_cast<std::int64_t>(m_newdat.size()));
        writeLoaded(
            choices, [](std::string_view) {}, leftOut);
    }
    showFindings(choices, std::move(leftOut));
}

void ViewController::showFindings(const TargetChoices& choices, std::vector<Finding> leftOut) {
    m_findings = targetFindings(m_loaded->report.findings, std::move(leftOut), choices);
    emit findingsChanged();
}

ViewController::ChartNote ViewController::useSoundFor(const QString& timingFile) {
    if (timingFile == m_soundChosenFor && QFileInfo(m_player->soundFile()).isFile()) {
        return {soundNote(), false}; // a reload keeps the sound the user chose for it
    }
    m_soundChosenFor.clear();
    const QFileInfo timing(timingFile);
    m_noSound = tr("no sound file beside %1").arg(timing.fileName());
    QString sound;
    QString missing;
    if (m_loaded->take && !m_loaded->take->soundFile.empty()) {
        // As the project names it, from the project's folder; a project moved
        // from another system may still have it beside it.
        const QString named = toQString(m_loaded->take->soundFile);
        const QString path = timing.absoluteDir().filePath(named);
        const QString beside = timing.absoluteDir().filePath(
            QFileInfo(QString(named).replace(u'\\', u'/')).fileName());
        if (QFileInfo(path).isFile()) {
            sound = path;
        } else if (QFileInfo(beside).isFile()) {
            sound = beside;
        } else {
            missing = tr("the sound file the project names, '%1', is not there").arg(named);
            m_noSound = missing;
        }
    }
    if (sound.isEmpty()) {
        sound = soundFileBeside(timingFile);
    }
    m_player->setSoundFile(sound);
    // Without a sound file the load says nothing of it, and Play says why it
    // is silent; but a project that names one is meant to be heard.
    if (sound.isEmpty()) {
        return missing.isEmpty() ? ChartNote{} : ChartNote{soundNote(), true};
    }
    return {missing.isEmpty() ? soundNote() : missing + QStringLiteral("; ") + soundNote(), false};
}

QString ViewController::soundNote() const {
    const QString name = QFileInfo(m_player->soundFile()).fileName();
    switch (m_player->sound()) {
    case TakePlayer::Sound::Audible:
        return tr("sound: %1").arg(name);
    case TakePlayer::Sound::NoDevice:
        return tr("sound: %1, but no sound device: playback is silent").arg(name);
    case TakePlayer::Sound::Failed:
        return m_player->error() + tr(": playback is silent");
    case TakePlayer::Sound::NoFile:
        break;
    }
    return m_noSound + tr(": playback is silent");
}

void ViewController::sayWhySilent(bool playing) {
    if (!playing || m_player->sound() == TakePlayer::Sound::Audible) {
        return;
    }
    QString why;
    switch (m_player->sound()) {
    case TakePlayer::Sound::NoDevice:
        why = tr("no sound device");
        break;
    case TakePlayer::Sound::Failed:
        why = m_player->error();
        break;
    default:
        why = m_noSound;
        break;
    }
    showStatus(StatusMessage::Kind::Notice, tr("Playing silently: %1").arg(why));
}

void ViewController::openSound() {
    QWidget* parent = m_fileselect ? m_fileselect->window() : nullptr;
    const QString folder = m_player->soundFile().isEmpty()
                               ? chooserFolder()
                               : QFileInfo(m_player->soundFile()).absolutePath();
    const FileChoice choice = m_chooser->chooseSoundFile(parent, folder);
    if (choice.outcome == FileChoice::Outcome::Confirmed) {
        setSoundFile(choice.url);
    }
}

void ViewController::setSoundFile(const QUrl& url) {
    const QFileInfo info(url.toLocalFile());
    if (!info.isFile()) {
        showStatus(StatusMessage::Kind::Failure,
                   tr("'%1' is not a file; the sound is unchanged").arg(info.fileName()));
        return;
    }
    m_player->setSoundFile(info.absoluteFilePath());
    m_soundChosenFor = m_loadedPath;
    refreshPlayback();
    showStatus(m_player->sound() == TakePlayer::Sound::Audible ? StatusMessage::Kind::Done
                                                               : StatusMessage::Kind::Notice,
               withCapital(soundNote()));
}

ViewController::ChartNote ViewController::useFolderDrawings(const QString& timingFile) {
    if (m_drawingsChosen) {
        return {};
    }
    const QString beside = MouthDrawings::folderBeside(timingFile);
    if (beside.isEmpty()) {
        if (!m_drawings.folder().isEmpty()) {
            m_drawings.setFolder({});
            emit drawingsChanged();
        }
        return {};
    }
    const MouthDrawings::FolderReading reading = m_drawings.setFolder(beside);
    emit drawingsChanged();
    QString text = tr("mouth drawings from the %1 folder beside it (%2 of them)")
                       .arg(QFileInfo(beside).fileName(), localeNumber(reading.found));
    if (!reading.problems.isEmpty()) {
        text += QStringLiteral("; ") + reading.problems.join(QStringLiteral("; "));
    }
    return {text, !reading.problems.isEmpty()};
}

void ViewController::chooseDrawings() {
    QWidget* parent = m_fileselect ? m_fileselect->window() : nullptr;
    const QString folder = m_drawings.folder().isEmpty() ? chooserFolder() : m_drawings.folder();
    const FileChoice choice = m_chooser->chooseDrawingsFolder(parent, folder);
    if (choice.outcome != FileChoice::Outcome::Confirmed) {
        return;
    }
    const QString path = choice.url.toLocalFile();
    const MouthDrawings::FolderReading reading = m_drawings.setFolder(path);
    m_drawingsChosen = true;
    emit drawingsChanged();
    QString text =
        reading.found == 0
            ? tr("%1 holds no mouth drawing named by shape (AI.png, MBP.svg, rest.png, ...): "
                 "the built-in drawings are shown")
                  .arg(QFileInfo(path).fileName())
            : tr("Showing the mouth drawings in %1 (%2 of them); the built-in ones stand in for "
                 "the rest")
                  .arg(QFileInfo(path).fileName(), localeNumber(reading.found));
    if (!reading.problems.isEmpty()) {
        text += QStringLiteral("; ") + reading.problems.join(QStringLiteral("; "));
    }
    showStatus(reading.found == 0 || !reading.problems.isEmpty() ? StatusMessage::Kind::Notice
                                                                 : StatusMessage::Kind::Done,
               text);
}

void ViewController::refreshPlayback() {
    if (m_loaded && !m_loaded->track.empty() && m_frames && m_shift) {
        // The last cue is held for its frame.
        const std::int64_t last =
            static_cast<std::int64_t>(m_loaded->track.lastFrame()) + m_shift->value() + 1;
        m_player->setTakeLength(last > 1 ? msOfFrame(static_cast<std::uint64_t>(last), rate()) : 0);
    } else {
        m_player->setTakeLength(0);
    }
    emit playbackChanged();
}

ViewController::PlayedMouth ViewController::mouthAt(qint64 ms) const {
    PlayedMouth shown;
    if (!m_loaded) {
        return shown;
    }
    const TargetChoices c = choices();
    const PlaybackPoint point =
        playbackAt(m_loaded->track, ms, c.rate, c.offset, c.letters, numberFormatOf());
    shown.label = toQString(point.label);
    const auto frame = static_cast<std::int64_t>(point.frame) - c.offset;
    if (frame >= 0) {
        shown.trackFrame = static_cast<std::uint64_t>(frame);
    }
    if (!point.keyframe) {
        return shown; // at rest until the first cue
    }
    shown.mouth.name = toQString(point.shape);
    shown.mouth.letters = c.letters;
    if (c.target == Target::Position) {
        // As the preview marks them: what gets no position.
        shown.mouth.noPosition = point.name != KeyframeTrack::Name::Phoneme;
        return shown;
    }
    // A key without a drawing is left out of the document, so the drawing
    // before it holds on there; a take names few mouths, so few are passed.
    const MouthChart chart = chartInUse();
    const auto drawn = [&](std::string_view shape) {
        return !shape.empty() && chart.drawingOf(shape, c.letters);
    };
    if (drawn(point.shape)) {
        return shown;
    }
    shown.mouth.noPosition = true;
    constexpr std::size_t looked = 4096;
    for (std::size_t i = *point.keyframe, n = 0; i-- > 0 && n < looked; ++n) {
        const std::string_view shape = shapeOf(m_loaded->track.at(i), c.letters);
        if (drawn(shape)) {
            shown.mouth.name = toQString(shape);
            shown.mouth.noPosition = false;
            break;
        }
    }
    return shown;
}

qint64 ViewController::positionOfTrackFrame(std::uint64_t frame) const {
    const std::int64_t offset = m_shift ? m_shift->value() : 0;
    const std::int64_t played = static_cast<std::int64_t>(frame) + offset;
    return played <= 1 ? 0 : msOfFrame(static_cast<std::uint64_t>(played), rate());
}

void ViewController::setLetters(bool letters) {
    if (!m_loaded || m_loaded->letters == letters || (m_loaded->take && m_loaded->take->letters)) {
        return;
    }
    const BusyCursor busy(static_cast<std::int64_t>(m_newdat.size()));
    m_loaded->letters = letters;
    readLoaded(rate());
    showStatus(StatusMessage::Kind::Done,
               letters ? tr("Reading A to H and X as letter mouth shapes; Convert uses them")
                       : tr("Reading A to H and X as phoneme names again"));
    emit readingChanged();
}

FrameRate ViewController::rate() const {
    return m_typedRate ? *m_typedRate : FrameRate(require(m_frames, "frames").currentIndex());
}

void ViewController::setRateIndex(int rateIndex) {
    if (rateIndex < 0 && m_typedRate) {
        return; // the pop-up is cleared for a typed rate
    }
    m_typedRate.reset();
    if (m_rateField) {
        m_rateField->setText(toQString(frameRateTitle(rateIndex)));
    }
    useRate(rate());
}

void ViewController::setRateText() {
    QLineEdit& field = require(m_rateField, "rateField");
    const QString text = field.text().trimmed();
    const std::optional<FrameRate> typed = FrameRate::fromText(text.toStdString());
    if (!typed) {
        showStatus(StatusMessage::Kind::Failure,
                   tr("'%1' is not a frame rate: type a number from 1 to 1000, such as 23.976; "
                      "the rate in use is unchanged")
                       .arg(text));
        field.setText(toQString(rate().title()));
        return;
    }
    field.setText(toQString(typed->title()));
    if (*typed == rate()) {
        return;
    }
    QComboBox& rates = require(m_frames, "frames");
    const auto row = std::find(frameRateTitles.begin(), frameRateTitles.end(), typed->title());
    if (row != frameRateTitles.end()) {
        rates.setCurrentIndex(static_cast<int>(row - frameRateTitles.begin()));
        return; // setRateIndex takes it from there
    }
    m_typedRate = *typed;
    {
        const QSignalBlocker quiet(rates);
        rates.setCurrentIndex(-1);
    }
    useRate(*typed);
}

void ViewController::useRate(const FrameRate& rate) {
    // A .dat text's frames are what it says, at any rate; a take timed in
    // seconds is timed again, and a project's rate is checked against it.
    if (m_loaded && m_loaded->take) {
        readLoaded(rate);
        emit readingChanged();
    }
    emit rateChanged(rate);
}

void ViewController::setVoice(int voice) {
    if (!m_loaded || !m_loaded->take || voice < 0 ||
        static_cast<std::size_t>(voice) >= m_loaded->take->voices.size() ||
        static_cast<std::size_t>(voice) == m_loaded->voice) {
        return;
    }
    m_loaded->voice = static_cast<std::size_t>(voice);
    readLoaded(rate());
    showStatus(StatusMessage::Kind::Done,
               tr("Reading voice '%1'; Convert uses it")
                   .arg(toQString(m_loaded->take->voices[m_loaded->voice].name)));
    emit readingChanged();
}

void ViewController::setTargetIndex(int targetIndex) {
    if (m_hold) {
        // Each target starts with its own default; the user may then change it.
        m_hold->setChecked(holdsByDefault(targets[static_cast<std::size_t>(
            std::clamp(targetIndex, 0, static_cast<int>(targets.size()) - 1))]));
    }
    emit chartChanged();
}

TargetChoices ViewController::choices() const {
    TargetChoices choices;
    const int targetIndex = require(m_target, "target").currentIndex();
    choices.target = targetIndex >= 0 && static_cast<std::size_t>(targetIndex) < targets.size()
                         ? targets[static_cast<std::size_t>(targetIndex)]
                         : Target::Position;
    choices.setIndex = require(m_pset, "pset").currentIndex();
    choices.rate = rate();
    choices.letters = letters();
    choices.hold = require(m_hold, "hold").isChecked();
    choices.offset = require(m_shift, "shift").value();
    if (m_chart) {
        choices.chart = m_chart->chart;
    }
    return choices;
}

MouthChart ViewController::chartInUse() const {
    return m_chart ? m_chart->chart : MouthChart::ofSet(m_pset ? m_pset->currentIndex() : 0);
}

ViewController::ChartNote ViewController::useFolderChart(const QString& timingFile) {
    const std::optional<QString> beside = mouthChartBeside(timingFile);
    if (m_chart && m_chart->chosen) {
        if (beside && QFileInfo(*beside) != QFileInfo(m_chart->path)) {
            return {tr("the chosen mouth chart %1 is used, not the %2 beside it")
                        .arg(QFileInfo(m_chart->path).fileName(), toQString(mouthChartFileName)),
                    false};
        }
        return {};
    }
    if (!beside) {
        if (m_chart) {
            m_chart.reset();
            emit chartChanged();
        }
        return {};
    }
    ChartWords reading = readChart(*beside);
    if (!reading.chart) {
        // The chart read from this same file before stays, as a chosen one
        // would; another folder's never speaks for this one.
        if (m_chart && QFileInfo(m_chart->path) != QFileInfo(*beside)) {
            m_chart.reset();
            emit chartChanged();
        }
        return {reading.problem + (m_chart ? tr("; the chart read from it before stays in use")
                                           : tr("; the phoneme set's own chart is used")),
                true};
    }
    m_chart = ReadChart{std::move(*reading.chart), QFileInfo(*beside).absoluteFilePath(), false};
    emit chartChanged();
    QString text = tr("using the mouth chart in %1").arg(toQString(mouthChartFileName));
    if (!reading.problem.isEmpty()) {
        text += QStringLiteral("; ") + reading.problem;
    }
    return {text, !reading.problem.isEmpty()};
}

void ViewController::chooseChart() {
    QWidget* parent = m_fileselect ? m_fileselect->window() : nullptr;
    const QString folder = m_chart ? QFileInfo(m_chart->path).absolutePath() : chooserFolder();
    const FileChoice choice = m_chooser->chooseChartFile(parent, folder);
    if (choice.outcome != FileChoice::Outcome::Confirmed) {
        return; // nothing asked for, nothing changed
    }
    const QString path = choice.url.toLocalFile();
    ChartWords reading = readChart(path);
    if (!reading.chart) {
        showStatus(StatusMessage::Kind::Failure,
                   withCapital(reading.problem) + tr("; the chart in use is unchanged"));
        return;
    }
    m_chart = ReadChart{std::move(*reading.chart), QFileInfo(path).absoluteFilePath(), true};
    QString text = tr("Using the mouth chart in %1").arg(QFileInfo(path).fileName());
    if (!reading.problem.isEmpty()) {
        text += QStringLiteral("; ") + reading.problem;
    }
    showStatus(reading.problem.isEmpty() ? StatusMessage::Kind::Done : StatusMessage::Kind::Notice,
               text);
    emit chartChanged();
}

void ViewController::forgetChart() {
    if (!chartChosen()) {
        return;
    }
    m_chart.reset();
    emit chartChanged();
    const ChartNote note = m_loadedPath.isEmpty() ? ChartNote{} : useFolderChart(m_loadedPath);
    showStatus(note.problem ? StatusMessage::Kind::Notice : StatusMessage::Kind::Done,
               tr("The chosen mouth chart is no longer used; ") +
                   (note.text.isEmpty() ? tr("the phoneme set's own chart is used") : note.text));
}

void ViewController::reload() {
    if (!m_loadedUrl.isEmpty()) {
        openFile(m_loadedUrl);
    }
}

QString ViewController::chooserFolder() const {
    return m_loadedPath.isEmpty() ? QString() : QFileInfo(m_loadedPath).absolutePath();
}

void ViewController::showChangeOnDisk(bool stillExists) {
    // Only said, never acted on: the user decides when to read it again.
    // The news comes first, so that it shows however narrow the window.
    showStatus(StatusMessage::Kind::Notice,
               stillExists ? tr("The loaded file has changed on disk; Convert still uses the "
                                "text read before")
                           : tr("The loaded file is no longer on disk; Convert still uses the "
                                "text read before"));
    emit loadedFileChangedOnDisk();
}

void ViewController::reportOpenFailure(const IoError& error, const QString& path) {
    // The label and picture keep showing what is really loaded.
    writeLine("error: " + error.describe(QDir::toNativeSeparators(path)).toStdString());
    showStatus(StatusMessage::Kind::Failure,
               withCapital(error.describe(QFileInfo(path).fileName())));
}

void ViewController::go() {
    ImageView& picture = require(m_Picture, "Picture");
    QComboBox& sets = require(m_pset, "pset");
    require(m_frames, "frames");
    require(m_statusline, "statusline");
    const TargetChoices choices = this->choices();

    const BusyCursor busy(static_cast<std::int64_t>(m_newdat.size()));
    picture.setImageNamed(QStringLiteral("happy"));

    const int setIndex = sets.currentIndex();
    m_mapping = buildMapping(setIndex, letters());
    // The pop-up's row, or a rate typed beside it.
    m_fps = rateLine(choices.rate);
    m_fpsheader = m_fps;

    // At scale each document is twice the file: let the last one go before
    // the next is built, rather than holding both.
    std::string().swap(m_newdatout);
    m_written.clear();
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard->ownsClipboard()) {
        clipboard->clear();
    }

    // The document goes straight into the bytes the clipboard keeps: UTF-8,
    // which is what a paste asks for, rather than a UTF-16 copy twice its size.
    QByteArray document;
    std::vector<DiagnosticLine> lines;
    ConvertFacts facts{0, {}, setIndex, choices.rate, choices.target, {}};
    if (choices.plainPosition()) {
        m_newdatout = convertDataLines(m_newdat, m_mapping);
        // One line a keyframe, each ended by LF.
        facts.keyframes =
            static_cast<qsizetype>(std::count(m_newdatout.begin(), m_newdatout.end(), '\n'));
        assembleDocument(document, m_headertop, m_fpsheader, m_headerbottom, m_newdatout, m_footer);
        // The echo of the pieces shares the document's bytes.
        lines = echoOf(document, {m_headertop, m_fpsheader, m_headerbottom, m_newdatout, m_footer});
    } else {
        std::vector<Finding> leftOut;
        const TargetResult result = writeLoaded(
            choices,
            [&document](std::string_view chunk) {
                document.append(chunk.data(), static_cast<qsizetype>(chunk.size()));
            },
            leftOut);
        lines.push_back({document, 0, document.size()});
        facts.keyframes = static_cast<qsizetype>(result.keyframes);
        if (choices.holds()) {
            facts.holdSteps = result.holdSteps;
        }
        m_written = leftOut;
        if (m_loaded) {
            // The same the controls gave, now from the document written.
            showFindings(choices, std::move(leftOut));
        }
    }

    // The echo, after the empty line that opens it, goes out as one batch,
    // so that it is written or dropped whole.
    lines.insert(lines.begin(), DiagnosticLine{});
    m_output->writeLines(std::move(lines));

    QMimeData* mime = clipboardData(document);
    document = {};
    clipboard->setMimeData(mime, QClipboard::Clipboard);

    facts.findings = m_findings;
    const ConvertMessage message = convertStatus(facts, m_loaded);
    showStatus(message.warning ? StatusMessage::Kind::Notice : StatusMessage::Kind::Done,
               message.text);
    emit converted();
}

void ViewController::writeLine(std::string_view line) {
    m_output->writeLines({DiagnosticLine::copyOf(line)});
}

void ViewController::showStatus(StatusMessage::Kind kind, const QString& message) {
    StatusMessage::of(require(m_statusline, "statusline")).show(kind, message);
}

} // namespace mouthkey
