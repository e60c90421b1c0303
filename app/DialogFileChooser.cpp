#include "app/DialogFileChooser.h"

#include "app/TakePlayer.h"
#include "textinput/SoundFiles.h"
#include "textinput/TimingFormats.h"
#include "textinput/Utf8Text.h"

#include <QFileDialog>

namespace mouthkey {

namespace {

FileChoice chooseOne(QWidget* parent, const QString& title, const QString& folder,
                     const QStringList& filters) {
    QFileDialog dialog(parent, title);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (filters.isEmpty()) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilters(filters);
    }
    // A read-only model: no new folders, no renaming or deleting from here.
    dialog.setOption(QFileDialog::ReadOnly, true);
    if (!folder.isEmpty()) {
        dialog.setDirectory(folder);
    }

    if (dialog.exec() != QDialog::Accepted) {
        return {FileChoice::Outcome::Cancelled, {}};
    }
    const QList<QUrl> urls = dialog.selectedUrls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) {
        return {FileChoice::Outcome::Other, {}};
    }
    return {FileChoice::Outcome::Confirmed, urls.front()};
}

} // namespace

FileChoice DialogFileChooser::chooseDatFile(QWidget* parent, const QString& folder) {
    QStringList patterns;
    for (const TimingFormat& format : timingFormats()) {
        for (const std::string_view extension : format.extensions) {
            const QString pattern = QStringLiteral("*.") + toQString(extension);
            if (!patterns.contains(pattern)) {
                patterns << pattern;
            }
        }
    }
    // A sound is opened to be timed from its speech.
    QStringList sounds;
    for (const std::string_view extension : soundExtensions) {
        sounds << QStringLiteral("*.") + toQString(extension);
    }
    return chooseOne(
        parent, QStringLiteral("Choose .dat File"), folder,
        {QFileDialog::tr("Timing files and sounds (%1)").arg((patterns + sounds).join(u' ')),
         QFileDialog::tr("Timing files (%1)").arg(patterns.join(u' ')),
         QFileDialog::tr("Sounds to time (%1)").arg(sounds.join(u' ')),
         QFileDialog::tr("All files (*)")});
}

FileChoice DialogFileChooser::chooseChartFile(QWidget* parent, const QString& folder) {
    return chooseOne(parent, QFileDialog::tr("Choose Mouth Chart"), folder,
                     {QFileDialog::tr("Mouth charts (*.txt)"), QFileDialog::tr("All files (*)")});
}

FileChoice DialogFileChooser::chooseSoundFile(QWidget* parent, const QString& folder) {
    QStringList patterns;
    for (const QString& suffix : soundFileSuffixes()) {
        patterns << QStringLiteral("*.") + suffix;
    }
    return chooseOne(parent, QFileDialog::tr("Choose Sound"), folder,
                     {QFileDialog::tr("Sound files (%1)").arg(patterns.join(u' ')),
                      QFileDialog::tr("All files (*)")});
}

FileChoice DialogFileChooser::chooseDrawingsFolder(QWidget* parent, const QString& folder) {
    return chooseOne(parent, QFileDialog::tr("Choose Mouth Drawings Folder"), folder, {});
}

FileChoice DialogFileChooser::chooseSaveFile(QWidget* parent, const QString& suggested,
                                             const QStringList& filters) {
    QFileDialog dialog(parent, QFileDialog::tr("Save Timing As"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    dialog.selectFile(suggested);
    if (dialog.exec() != QDialog::Accepted) {
        return {FileChoice::Outcome::Cancelled, {}};
    }
    const QList<QUrl> urls = dialog.selectedUrls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) {
        return {FileChoice::Outcome::Other, {}};
    }
    return {FileChoice::Outcome::Confirmed, urls.front(),
            static_cast<int>(filters.indexOf(dialog.selectedNameFilter()))};
}

} // namespace mouthkey
