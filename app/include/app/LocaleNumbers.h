#pragma once

#include "conversion/TimingCheck.h"

#include <QLocale>
#include <QString>

#include <cstdint>

namespace mouthkey {

// How the window writes counts, frames and line numbers: with the locale's
// separators, or none where it leaves them out (as the C locale does).
NumberFormat numberFormatOf(const QLocale& locale = QLocale());

// A whole number as the window writes it. The window's own words use this
// rather than QLocale::toString, which groups some locales' digits
// differently (12,34,567) or in other digits than the checks' words, so that
// one window never shows a number two ways.
QString localeNumber(std::uint64_t n);

} // namespace mouthkey
