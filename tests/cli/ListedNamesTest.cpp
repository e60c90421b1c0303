// The lists of names written out for people, in the help and the man page,
// against the tables they are taken from.
#include "cli/CommandLine.h"
#include "conversion/DocumentTarget.h"
#include "textinput/SoundFiles.h"
#include "textinput/TimingFormats.h"
#include "textinput/Utf8Text.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <ostream>

using namespace mouthkey;

namespace {

QString helpText() {
    const CommandLine parsed =
        parseCommandLine({QStringLiteral("mouthkey-convert"), QStringLiteral("--help")});
    return parsed.message;
}

QString manPage() {
    QFile file(QStringLiteral(MOUTHKEY_MAN_PAGE));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The text between `before` and `after`, the first time both follow each other.
QString between(const QString& text, const QString& before, const QString& after) {
    const qsizetype from = text.indexOf(before);
    const qsizetype to = from < 0 ? -1 : text.indexOf(after, from + before.size());
    return to < 0 ? QString() : text.mid(from + before.size(), to - from - before.size());
}

// Every first capture of `pattern` in `text`, in order.
QStringList captures(const QString& text, const QString& pattern) {
    QStringList found;
    const QRegularExpression expression(pattern, QRegularExpression::MultilineOption);
    for (const QRegularExpressionMatch& match : expression.globalMatch(text)) {
        found << match.captured(1);
    }
    return found;
}

// Help text is wrapped into columns; read as one line.
QString unwrapped(QString text) {
    return text.replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" "));
}

QStringList registryFormats() {
    QStringList names;
    for (const TimingFormat& format : timingFormats()) {
        names << QString::fromUtf8(format.name.data(), static_cast<qsizetype>(format.name.size()));
    }
    return names;
}

// What --from takes: the registry's formats, and a sound, which is timed rather than read.
QStringList formatsAndSound() {
    return registryFormats() << toQString(soundFormatName);
}

QStringList registryExtensions() {
    QStringList extensions;
    for (const TimingFormat& format : timingFormats()) {
        for (const std::string_view e : format.extensions) {
            const QString extension = QString::fromUtf8(e.data(), static_cast<qsizetype>(e.size()));
            if (!extensions.contains(extension)) {
                extensions << extension;
            }
        }
    }
    for (const std::string_view e : soundExtensions) {
        extensions << toQString(e);
    }
    return extensions;
}

QStringList registryTargets() {
    QStringList names;
    for (const TargetRow& row : targetRows()) {
        names << QString::fromUtf8(row.name.data(), static_cast<qsizetype>(row.name.size()));
    }
    return names;
}

QStringList registryWrittenFormats() {
    QStringList names;
    for (const TimingFormat* format : writtenFormats()) {
        names << QString::fromUtf8(format->name.data(),
                                   static_cast<qsizetype>(format->name.size()));
    }
    return names;
}

QStringList everyTarget() {
    return registryTargets() + registryWrittenFormats();
}

struct ListCase {
    const char* what;
    QStringList (*listed)();
    QStringList (*expected)();
    friend void PrintTo(const ListCase& c, std::ostream* os) { *os << c.what; }
};

class ListedNames : public testing::TestWithParam<ListCase> {};

TEST_P(ListedNames, nameWhatTheTableHolds) {
    const QStringList expected = GetParam().expected();
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_EQ(GetParam().listed().join(u' ').toStdString(), expected.join(u' ').toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ListedNames,
    testing::Values(
        ListCase{"--help: --from's formats",
                 [] {
                     return captures(between(unwrapped(helpText()),
                                             "Read every INPUT as FORMAT:", ". Without it"),
                                     QStringLiteral("(\\w+)"))
                         .filter(QRegularExpression(QStringLiteral("^(?!or$)")));
                 },
                 formatsAndSound},
        ListCase{"--help: the formats described",
                 [] {
                     return captures(between(helpText(), "\nFormats, told", "\nA cue at"),
                                     QStringLiteral("^  (\\w+) "));
                 },
                 registryFormats},
        ListCase{"--help: -d's extensions",
                 [] {
                     return captures(
                         between(unwrapped(helpText()), "without a final", ". DIR must"),
                         QStringLiteral("\\.(\\w+)"));
                 },
                 registryExtensions},
        ListCase{"man page: --from's formats",
                 [] {
                     return captures(between(manPage(), "Read every input as", "see FORMATS"),
                                     QStringLiteral("\\\\fB(\\w+)\\\\fR"));
                 },
                 formatsAndSound},
        ListCase{"man page: the formats described",
                 [] {
                     return captures(between(manPage(), "\n.SH FORMATS\n", "\n.SH "),
                                     QStringLiteral("^\\.TP\\n\\.B (\\w+)$"));
                 },
                 registryFormats},
        ListCase{"man page: -d's extensions",
                 [] {
                     return captures(between(manPage(), "without a final", ", in any case"),
                                     QStringLiteral("\\.(\\w+)"));
                 },
                 registryExtensions},
        ListCase{"--help: the targets described",
                 [] {
                     return captures(between(helpText(), "\nTargets, what the document animates:",
                                             "\nA mouth chart"),
                                     QStringLiteral("^  ([a-z][a-z-]*)  "));
                 },
                 registryTargets},
        ListCase{"man page: --target's targets",
                 [] {
                     return captures(between(manPage(), "\\fB\\-\\-target\\fR \\fITARGET\\fR\n",
                                             "\n.TP"),
                                     QStringLiteral("\\\\fB((?:[a-z]|\\\\-)+)\\\\fR"))
                         .replaceInStrings(QStringLiteral("\\-"), QStringLiteral("-"));
                 },
                 registryTargets}));

INSTANTIATE_TEST_SUITE_P(
    TimingTargets, ListedNames,
    testing::Values(ListCase{"--help: the timing targets described",
                             [] {
                                 return captures(
                                     between(helpText(), "\nTiming targets,", "\nEach reads back"),
                                     QStringLiteral("^  (\\w+) "));
                             },
                             registryWrittenFormats},
                    ListCase{"the usage error for an unknown target",
                             [] {
                                 const CommandLine parsed =
                                     parseCommandLine({QStringLiteral("mouthkey-convert"),
                                                       QStringLiteral("--target=x")});
                                 return captures(between(parsed.message, "for --target (", ")"),
                                                 QStringLiteral("([a-z][a-z-]*)"))
                                     .filter(QRegularExpression(QStringLiteral("^(?!or$)")));
                             },
                             everyTarget},
                    ListCase{"man page: --target's timing formats",
                             [] {
                                 return captures(between(manPage(),
                                                         "\\fB\\-\\-target\\fR \\fIFORMAT\\fR\n",
                                                         " (see FORMATS)"),
                                                 QStringLiteral("\\\\fB(\\w+)\\\\fR"));
                             },
                             registryWrittenFormats}));

} // namespace
