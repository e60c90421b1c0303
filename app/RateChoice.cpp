#include "RateChoice.h"

#include "textinput/Utf8Text.h"

#include <QCoreApplication>
#include <QSignalBlocker>

#include <algorithm>

namespace mouthkey {

FrameRate RateChoice::rate(const QComboBox& rates) const {
    return m_typed ? *m_typed : FrameRate(rates.currentIndex());
}

bool RateChoice::rowChosen(int rateIndex, QLineEdit* field) {
    if (rateIndex < 0 && m_typed) {
        return false; // the pop-up is cleared for a typed rate
    }
    m_typed.reset();
    if (field) {
        field->setText(toQString(frameRateTitle(rateIndex)));
    }
    return true;
}

RateChoice::Typed RateChoice::typed(QComboBox& rates, QLineEdit& field) {
    const QString text = field.text().trimmed();
    const std::optional<FrameRate> typed = FrameRate::fromText(text.toStdString());
    if (!typed) {
        field.setText(toQString(rate(rates).title()));
        return {StatusNote{StatusMessage::Kind::Failure,
                           QCoreApplication::translate(
                               "mouthkey::RateChoice",
                               "'%1' is not a frame rate: type a number from 1 to 1000, such as "
                               "23.976; the rate in use is unchanged")
                               .arg(text)},
                std::nullopt};
    }
    field.setText(toQString(typed->title()));
    if (*typed == rate(rates)) {
        return {};
    }
    const auto row = std::find(frameRateTitles.begin(), frameRateTitles.end(), typed->title());
    if (row != frameRateTitles.end()) {
        rates.setCurrentIndex(static_cast<int>(row - frameRateTitles.begin()));
        return {}; // rowChosen takes it from there
    }
    m_typed = *typed;
    {
        const QSignalBlocker quiet(rates);
        rates.setCurrentIndex(-1);
    }
    return {std::nullopt, *typed};
}

} // namespace mouthkey
