// mouthkey-convert: the keyframe conversion for scripts and batch work.
#include "cli/Converter.h"
#include "cli/StandardStreams.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    mouthkey::guardStandardStreams();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("mouthkey-convert"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MOUTHKEY_VERSION));
    return mouthkey::runConverter(QCoreApplication::arguments());
}
