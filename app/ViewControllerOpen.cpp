#include "app/ViewController.h"

#include "ChartChoice.h"
#include "DrawingsChoice.h"
#include "RequiredControl.h"
#include "SoundTimer.h"
#include "TakeSaving.h"
#include "TakeSound.h"
#include "TimingLoad.h"
#include "app/BusyCursor.h"
#include "app/ElidedLabel.h"
#include "app/TakePlayer.h"
#include "textinput/IoError.h"
#include "textinput/SoundFiles.h"
#include "textinput/Utf8Text.h"

#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <QProgressDialog>

namespace mouthkey {

namespace {

// As the converter holds a sound's mouths unless told otherwise: a
// recognizer's phones flicker.
constexpr std::uint64_t soundMinHold = 2;
constexpr int progressSteps = 1000;

} // namespace

void ViewController::openFile(const QUrl& url) {
    require(m_fileselect, "fileselect");
    require(m_Picture, "Picture");
    require(m_statusline, "statusline");
    if (m_timer->busy()) {
        showStatus(StatusMessage::Kind::Notice,
                   tr("A sound is being timed; open another once it is done or cancelled"));
        return;
    }
    if (!mayLeaveTake()) {
        return;
    }

    writeLine(url.toString(QUrl::FullyEncoded).toStdString());
    const QString path = url.toLocalFile();
    if (path.isEmpty()) {
        reportOpenFailure({IoError::Kind::Unreadable, QStringLiteral("not a local file")},
                          url.toDisplayString());
        return;
    }

    if (fileOpensAsSound(path)) {
        timeSound(url);
        return;
    }
    const QFileInfo info(path);
    const BusyCursor busy(info.size());
    // The load reads the bytes, their text, its format and its take.
    if (const std::optional<IoError> error = m_load->read(url, rate())) {
        reportOpenFailure(*error, path);
        return;
    }
    showLoaded(url, QStringLiteral("Loaded %1").arg(info.fileName()));
}

void ViewController::showLoaded(const QUrl& url, QString loadedText) {
    QLabel& label = require(m_fileselect, "fileselect");
    ImageView& picture = require(m_Picture, "Picture");
    const QFileInfo info(url.toLocalFile());
    resetEdits();
    refreshFindings();
    showFileName();
    picture.setImageNamed(QStringLiteral("smile"));
    const LoadNote chart = m_chart->useFolderChart(info.absoluteFilePath());
    const LoadNote sound = m_sound->useSoundFor(info.absoluteFilePath(), loaded()->take.get());
    const LoadNote drawings = m_drawings->useFolderBeside(info.absoluteFilePath());
    for (const QString& note :
         {readingNotice(*loaded()), loaded()->notice, chart.text, sound.text, drawings.text}) {
        if (!note.isEmpty()) {
            loadedText += QStringLiteral("; ") + note;
        }
    }
    showStatus(chart.problem || sound.problem || drawings.problem ? StatusMessage::Kind::Notice
                                                                  : StatusMessage::Kind::Done,
               loadedText);

    player().seek(0);
    emit fileLoaded(url);
    emit timingLoaded();
    refreshPlayback();
    // Once the window shows the take, as the edits kept of it will be shown.
    if (const std::optional<StatusNote> recovered = m_saving->offerRecovered(label.window())) {
        showStatus(*recovered);
    }
}

void ViewController::showFileName() {
    if (!m_fileselect) {
        return;
    }
    const QFileInfo info(m_load->path());
    m_fileselect->setText(info.fileName());
    // Tool tips guess at rich text; a path is always shown as spelled.
    m_fileselect->setToolTip(
        ElidedLabel::wrappingToolTip(QDir::toNativeSeparators(info.absoluteFilePath())));
}

bool ViewController::timingSound() const {
    return m_timer->busy();
}

void ViewController::timeSound(const QUrl& url) {
    const QString path = url.toLocalFile();
    const QString name = QFileInfo(path).fileName();
    speech::TimingRequest request;
    // The field's text is the user's unless it is what the last sound's file filled it with.
    QString typed = m_script ? m_script->toPlainText() : QString();
    if (typed == m_scriptBeside) {
        typed.clear();
    }
    QString scriptFrom = tr("without a script");
    std::string scriptName;
    if (!typed.trimmed().isEmpty()) {
        request.script = typed.toStdString();
        scriptFrom = tr("by the Script field's text");
        scriptName = "in the Script field";
    } else if (const std::optional<ScriptText> beside = scriptBeside(path)) {
        const QString file = QFileInfo(beside->path).fileName();
        request.script = beside->text;
        scriptFrom = tr("by the script %1").arg(file);
        scriptName = QStringLiteral("'%1'").arg(file).toStdString();
        if (m_script) {
            m_scriptBeside = toQString(beside->text);
            m_script->setPlainText(m_scriptBeside);
        }
    } else if (m_script && !m_scriptBeside.isEmpty()) {
        m_script->clear(); // the last sound's script is not this one's
        m_scriptBeside.clear();
    }

    // Window-modal: nothing else is opened or edited while it times. The bar
    // is set directly, as a modal dialog's own setValue() runs the event loop.
    QWidget* window = require(m_fileselect, "fileselect").window();
    auto* progress = new QProgressDialog(tr("Timing the speech in %1\u2026").arg(name),
                                         tr("Cancel"), 0, progressSteps, window);
    auto* bar = new QProgressBar(progress);
    bar->setRange(0, progressSteps);
    progress->setBar(bar);
    progress->setObjectName(QStringLiteral("soundTimingProgress"));
    progress->setWindowTitle(tr("Time from Sound"));
    progress->setWindowModality(Qt::WindowModal);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    connect(progress, &QProgressDialog::canceled, m_timer, &SoundTimer::cancel);
    connect(m_timer, &SoundTimer::progressed, bar,
            [bar](double done) { bar->setValue(static_cast<int>(done * progressSteps)); });
    connect(
        m_timer, &SoundTimer::finished, this,
        [this, url, progress, scriptFrom](const std::shared_ptr<speech::SoundTake>& timed) {
            progress->hide();
            progress->deleteLater();
            useTimedSound(url, *timed, scriptFrom);
            emit soundTimingEnded();
        },
        Qt::SingleShotConnection);
    m_timer->start(path, std::move(request), scriptName);
    progress->show();
}

void ViewController::useTimedSound(const QUrl& url, const speech::SoundTake& timed,
                                   const QString& scriptFrom) {
    const QString path = url.toLocalFile();
    const QString name = QFileInfo(path).fileName();
    if (timed.cancelled) {
        writeLine("timing cancelled");
        showStatus(StatusMessage::Kind::Done,
                   loaded() ? tr("Timing %1 cancelled: %2 is still loaded, and Convert uses it")
                                  .arg(name, loaded()->source)
                            : tr("Timing %1 cancelled").arg(name));
        return;
    }
    if (!timed.error.empty() || !timed.take) {
        // The recognizer names the file by its path; the status line by its name.
        QString why = toQString(timed.error);
        why.replace(QStringLiteral("'%1'").arg(QFile::encodeName(path)),
                    QStringLiteral("'%1'").arg(name));
        reportOpenFailure({timed.error == speech::missingModelError ? IoError::Kind::NotInstalled
                                                                    : IoError::Kind::Untimable,
                           why},
                          path);
        return;
    }
    m_load->loadTimedSound(url, *timed.take, timed.notes, soundMinHold, rate());
    // A script with no word to find was left out, as a note says.
    QString text = tr("Timed %1 %2, each mouth held %3 frames at least")
                       .arg(name, timed.byScript ? scriptFrom : tr("without a script"))
                       .arg(soundMinHold);
    if (!timed.notes.empty()) {
        text += timed.notes.size() == 1 ? tr("; 1 note in the findings")
                                        : tr("; %1 notes in the findings").arg(timed.notes.size());
    }
    showLoaded(url, text + tr("; not saved yet"));
}

} // namespace mouthkey
