#include "app/DialogFileChooser.h"

#include <QFileDialog>

namespace mouthkey {

FileChoice DialogFileChooser::chooseDatFile(QWidget* parent, const QString& folder) {
    QFileDialog dialog(parent, QStringLiteral("Choose .dat File"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QFileDialog::tr("Timing files (*.dat)"));
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

} // namespace mouthkey
