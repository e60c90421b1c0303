#pragma once

#include "app/FileChooser.h"

namespace mouthkey {

// The real chooser: a modal QFileDialog for one existing file or folder.
class DialogFileChooser final : public FileChooser {
public:
    FileChoice chooseDatFile(QWidget* parent, const QString& folder) override;
    FileChoice chooseChartFile(QWidget* parent, const QString& folder) override;
    FileChoice chooseSoundFile(QWidget* parent, const QString& folder) override;
    FileChoice chooseDrawingsFolder(QWidget* parent, const QString& folder) override;
};

} // namespace mouthkey
