#include "app/DialogFileChooser.h"

#include "conversion/Take.h"
#include "textinput/Utf8Text.h"

#include <QFileDialog>

namespace mouthkey {

FileChoice DialogFileChooser::chooseDatFile(QWidget* parent, const QString& folder) {
    QFileDialog dialog(parent, QStringLiteral("Choose .dat File"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    QStringList patterns;
    for (const std::string_view extension : timingFileExtensions) {
        patterns << QStringLiteral("*.") + toQString(extension);
    }
    dialog.setNameFilters({QFileDialog::tr("Timing files (%1)").arg(patterns.join(u' ')),
                           QFileDialog::tr("All files (*)")});
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
