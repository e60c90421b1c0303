#include "textinput/JsonReading.h"

#include "conversion/TextPlaces.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonParseError>

#include <algorithm>
#include <string>

namespace mouthkey {

std::optional<QJsonObject> jsonRootObject(std::string_view text, ReaderFindings& findings,
                                          std::string_view notAnObject) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray::fromRawData(text.data(), static_cast<qsizetype>(text.size())), &error);
    if (error.error != QJsonParseError::NoError) {
        const auto offset = static_cast<std::size_t>(std::max(error.offset, 0));
        findings.add(Finding::Kind::MalformedText, TextPlaces(text).at(offset),
                     [&] { return "JSON: " + error.errorString().toStdString(); });
        return std::nullopt;
    }
    if (!document.isObject()) {
        const std::size_t start = std::min(text.find_first_not_of(" \t\r\n"), text.size());
        findings.add(Finding::Kind::MalformedText, TextPlaces(text).at(start),
                     [&] { return "JSON: " + std::string(notAnObject); });
        return std::nullopt;
    }
    return document.object();
}

} // namespace mouthkey
