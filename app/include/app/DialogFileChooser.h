#pragma once

#include "app/FileChooser.h"

namespace mouthkey {

// The real chooser: a modal QFileDialog for one existing file or folder,
// or a file to save to.
class DialogFileChooser final : public FileChooser {
public:
    FileChoice chooseDatFile(QWidget* parent, const QString& folder) override;
    FileChoice chooseChartFile(QWidget* parent, const QString& folder) override;
    FileChoice chooseSoundFile(QWidget* parent, const QString& folder) override;
    FileChoice chooseDrawingsFolder(QWidget* parent, const QString& folder) override;
    FileChoice chooseSaveFile(QWidget* parent, const QString& suggested,
                              const QStringList& filters) override;
};

} // namespace mouthkey
