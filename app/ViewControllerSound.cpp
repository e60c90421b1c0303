#include "app/ViewController.h"

#include "SoundTimer.h"
#include "TimingLoad.h"
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
    QWidget* window = m_fileselect ? m_fileselect->window() : nullptr;
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
