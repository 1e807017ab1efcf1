// The option lists of the main window: their texts in list order and the
// codes their entries stand for on the wire.
#include "catalogue/target_catalogue.h"

namespace {

constexpr const char16_t* kTargetTexts[] = {u"KT310", u"KT320", u"KT330", u"KT340", u"KT350", u"KT410"};

constexpr const char16_t* kDensityTexts[] = {u"Default", u"4GB",  u"2GB",  u"1GB", u"512MB",
                                             u"256MB",   u"128MB", u"64MB", u"32MB"};
// The size in megabytes, except "4GB", which the firmware expects as 0x0F00.
constexpr std::uint16_t kDensityCodes[] = {0x0000, 0x0F00, 0x0800, 0x0400, 0x0200,
                                           0x0100, 0x0080, 0x0040, 0x0020};

constexpr const char16_t* kArmSpeedTexts[] = {u"Default", u"800MHz", u"1GHz", u"1.2GHz"};
constexpr std::uint16_t kArmSpeedCodes[] = {0, 800, 1000, 1200};

// The list index itself is the value sent for these two.
constexpr const char16_t* kDdrCsTexts[] = {u"0", u"ALL"};
constexpr const char16_t* kDdrChannelTexts[] = {u"0", u"1", u"ALL"};

constexpr const char16_t* kSizeTexts[] = {u"1 WORD", u"4 WORD", u"8 WORD", u"16 WORD", u"32 WORD"};
constexpr int kSizeWords[] = {1, 4, 8, 16, 32};

template <typename T, std::size_t N>
constexpr int count_of(const T (&)[N]) {
    return static_cast<int>(N);
}

static_assert(count_of(kDensityTexts) == count_of(kDensityCodes));
static_assert(count_of(kArmSpeedTexts) == count_of(kArmSpeedCodes));
static_assert(count_of(kSizeTexts) == count_of(kSizeWords));
static_assert(count_of(kTargetTexts) == TARGET_COUNT);

// Out-of-range indexes cannot come from a drop-down list; they fall back to
// entry 0 instead of reading past a table.
template <typename T, std::size_t N>
T lookup(const T (&table)[N], int index) {
    if (index < 0 || index >= static_cast<int>(N)) index = 0;
    return table[index];
}

}  // namespace

std::uint16_t density_code(int index) {
    return lookup(kDensityCodes, index);
}

std::uint16_t arm_speed_code(int index) {
    return lookup(kArmSpeedCodes, index);
}

int read_word_count(int index) {
    return lookup(kSizeWords, index);
}

OptionList target_list_texts() {
    return {kTargetTexts, count_of(kTargetTexts)};
}
OptionList density_list_texts() {
    return {kDensityTexts, count_of(kDensityTexts)};
}
OptionList arm_speed_list_texts() {
    return {kArmSpeedTexts, count_of(kArmSpeedTexts)};
}
OptionList ddr_cs_list_texts() {
    return {kDdrCsTexts, count_of(kDdrCsTexts)};
}
OptionList ddr_channel_list_texts() {
    return {kDdrChannelTexts, count_of(kDdrChannelTexts)};
}
OptionList size_list_texts() {
    return {kSizeTexts, count_of(kSizeTexts)};
}
