#include "conversion/PhoneMouths.h"

#include "conversion/MappingTables.h"

#include <algorithm>

namespace mouthkey {

std::string_view mouthForPhone(std::string_view phone) {
    while (!phone.empty() && phone.back() >= '0' && phone.back() <= '9') {
        phone.remove_suffix(1);
    }
    if (phone.empty() || phone.front() == '+') {
        return "rest";
    }
    const auto row = std::find_if(phoneMouths.begin(), phoneMouths.end(),
                                  [phone](const PhoneMouth& m) { return m.phone == phone; });
    return row == phoneMouths.end() ? std::string_view("etc") : row->mouth;
}

MouthClass mouthClass(std::string_view mouth) {
    const int key = MappingTable::letterKeyIndex(mouth);
    const std::string_view name = key < 0 ? mouth : phonemeKeys[static_cast<std::size_t>(key)];
    struct Row {
        std::string_view mouth;
        MouthClass kind;
    };
    static constexpr std::array<Row, 10> rows{{
        {"MBP", MouthClass::Closed},
        {"FV", MouthClass::LipTeeth},
        {"O", MouthClass::Round},
        {"U", MouthClass::Round},
        {"WQ", MouthClass::Round},
        {"AI", MouthClass::Open},
        {"E", MouthClass::Mid},
        {"L", MouthClass::Tongue},
        {"TH", MouthClass::Tongue},
        {"rest", MouthClass::Rest},
    }};
    const auto row =
        std::find_if(rows.begin(), rows.end(), [name](const Row& r) { return r.mouth == name; });
    return row == rows.end() ? MouthClass::OtherConsonant : row->kind;
}

Take phoneTake(std::span<const TimedPhone> phones, double soundSeconds) {
    Take take;
    take.sameFrame = SameFrame::OpeningWins;
    take.nearestFrames = true;
    auto add = [&take](double seconds, std::string_view mouth, bool closing) {
        if (!take.timed.empty() && take.timed.back().name == mouth && !closing) {
            return;
        }
        // Lines it has none: the checks and notes name none.
        take.timed.push_back({std::max(seconds, 0.0), std::string(mouth), {}, closing});
    };
    add(0, "rest", false);
    double end = 0;
    for (const TimedPhone& p : phones) {
        add(p.start, mouthForPhone(p.phone), false);
        end = std::max(end, p.end);
    }
    add(end, "rest", false);
    add(std::max(soundSeconds, end), "rest", true);
    return take;
}

} // namespace mouthkey
