// The targets --help and the man page name are the registry's, so that a
// new target is listed in both or the suite says which list lacks it.
#include "ConverterProcess.h"

#include "conversion/DocumentTarget.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace mouthkey;
using namespace mouthkey::test;

namespace {

using Names = std::set<std::string>;

Names registryNames() {
    Names names;
    for (const TargetRow& row : targetRows()) {
        names.insert(std::string(row.name));
    }
    return names;
}

// The names the help's list of targets opens its lines with: "  NAME  what
// it animates", then lines indented further, up to the first line that is
// not indented.
Names helpTargets(const QString& help) {
    const QString heading = QStringLiteral("\nTargets, what the document animates:\n");
    const qsizetype from = help.indexOf(heading);
    if (from < 0) {
        return {};
    }
    static const QRegularExpression row(QStringLiteral("\\A  ([a-z][a-z-]*)  "));
    Names names;
    for (const QString& line : help.mid(from + heading.size()).split(u'\n')) {
        if (!line.startsWith(u' ')) {
            break;
        }
        if (const auto match = row.match(line); match.hasMatch()) {
            names.insert(match.captured(1).toStdString());
        }
    }
    return names;
}

// The names in bold in the man page's paragraph on --target, past its tag.
Names manTargets(const QString& page) {
    const QString tag = QStringLiteral(".TP\n\\fB\\-\\-target\\fR \\fITARGET\\fR\n");
    const qsizetype from = page.indexOf(tag);
    if (from < 0) {
        return {};
    }
    const qsizetype start = from + tag.size();
    const QString paragraph = page.mid(start, page.indexOf(QStringLiteral("\n.TP"), start) - start);
    static const QRegularExpression bold(QStringLiteral("\\\\fB((?:[^\\\\]|\\\\-)+)\\\\fR"));
    Names names;
    for (auto it = bold.globalMatch(paragraph); it.hasNext();) {
        names.insert(it.next()
                         .captured(1)
                         .replace(QStringLiteral("\\-"), QStringLiteral("-"))
                         .toStdString());
    }
    return names;
}

TEST(TargetLists, helpNamesTheRegistrysTargets) {
    const ConverterRun run = runConverter({QStringLiteral("--help")});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(helpTargets(QString::fromUtf8(run.out)), registryNames());
}

TEST(TargetLists, manPageNamesTheRegistrysTargets) {
    QFile file(QStringLiteral(MOUTHKEY_MAN_PAGE));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(manTargets(QString::fromUtf8(file.readAll())), registryNames());
}

} // namespace
