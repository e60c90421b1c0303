#include "app/LocaleNumbers.h"

#include "textinput/Utf8Text.h"

namespace mouthkey {

NumberFormat numberFormatOf(const QLocale& locale) {
    NumberFormat format;
    format.groupSeparator = locale.numberOptions().testFlag(QLocale::OmitGroupSeparator)
                                ? std::string()
                                : locale.groupSeparator().toStdString();
    format.decimalPoint = locale.decimalPoint().toStdString();
    return format;
}

QString localeNumber(std::uint64_t n) {
    return toQString(numberFormatOf().whole(n));
}

} // namespace mouthkey
