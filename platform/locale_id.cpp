// Windows locale identifiers for POSIX locale names.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <optional>

#include "platform/system_info.h"

namespace cpe::platform {

namespace {

struct LocaleEntry {
    std::string_view name;  // "ll_TT" or a bare "ll" for the language's usual territory
    std::uint16_t lcid;
};

constexpr std::uint16_t kEnglishUs = 1033;

// Sorted by name; bare language names give the identifier Windows uses for that language.
constexpr std::array kLocales = std::to_array<LocaleEntry>({
    {"af", 1078},     {"af_ZA", 1078},  {"ar", 1025},     {"ar_AE", 14337}, {"ar_EG", 3073},  {"ar_SA", 1025},
    {"be", 1059},     {"be_BY", 1059},  {"bg", 1026},     {"bg_BG", 1026},  {"bn", 1093},     {"bn_IN", 1093},
    {"ca", 1027},     {"ca_ES", 1027},  {"cs", 1029},     {"cs_CZ", 1029},  {"da", 1030},     {"da_DK", 1030},
    {"de", 1031},     {"de_AT", 3079},  {"de_CH", 2055},  {"de_DE", 1031},  {"de_LU", 4103},  {"el", 1032},
    {"el_GR", 1032},  {"en", 1033},     {"en_AU", 3081},  {"en_CA", 4105},  {"en_GB", 2057},  {"en_IE", 6153},
    {"en_IN", 16393}, {"en_NZ", 5129},  {"en_SG", 18441}, {"en_US", 1033},  {"en_ZA", 7177},  {"es", 3082},
    {"es_AR", 11274}, {"es_CL", 13322}, {"es_CO", 9226},  {"es_ES", 3082},  {"es_MX", 2058},  {"es_US", 21514},
    {"et", 1061},     {"et_EE", 1061},  {"eu", 1069},     {"eu_ES", 1069},  {"fa", 1065},     {"fa_IR", 1065},
    {"fi", 1035},     {"fi_FI", 1035},  {"fr", 1036},     {"fr_BE", 2060},  {"fr_CA", 3084},  {"fr_CH", 4108},
    {"fr_FR", 1036},  {"gl", 1110},     {"gl_ES", 1110},  {"he", 1037},     {"he_IL", 1037},  {"hi", 1081},
    {"hi_IN", 1081},  {"hr", 1050},     {"hr_HR", 1050},  {"hu", 1038},     {"hu_HU", 1038},  {"hy", 1067},
    {"hy_AM", 1067},  {"id", 1057},     {"id_ID", 1057},  {"is", 1039},     {"is_IS", 1039},  {"it", 1040},
    {"it_CH", 2064},  {"it_IT", 1040},  {"ja", 1041},     {"ja_JP", 1041},  {"ka", 1079},     {"ka_GE", 1079},
    {"kk", 1087},     {"kk_KZ", 1087},  {"ko", 1042},     {"ko_KR", 1042},  {"lt", 1063},     {"lt_LT", 1063},
    {"lv", 1062},     {"lv_LV", 1062},  {"mk", 1071},     {"mk_MK", 1071},  {"mn", 1104},     {"mn_MN", 1104},
    {"ms", 1086},     {"ms_MY", 1086},  {"nb", 1044},     {"nb_NO", 1044},  {"nl", 1043},     {"nl_BE", 2067},
    {"nl_NL", 1043},  {"nn", 2068},     {"nn_NO", 2068},  {"no", 1044},     {"no_NO", 1044},  {"pl", 1045},
    {"pl_PL", 1045},  {"pt", 1046},     {"pt_BR", 1046},  {"pt_PT", 2070},  {"ro", 1048},     {"ro_RO", 1048},
    {"ru", 1049},     {"ru_RU", 1049},  {"ru_UA", 8217},  {"sk", 1051},     {"sk_SK", 1051},  {"sl", 1060},
    {"sl_SI", 1060},  {"sq", 1052},     {"sq_AL", 1052},  {"sr", 9242},     {"sr_RS", 10266}, {"sv", 1053},
    {"sv_FI", 2077},  {"sv_SE", 1053},  {"sw", 1089},     {"sw_KE", 1089},  {"ta", 1097},     {"ta_IN", 1097},
    {"th", 1054},     {"th_TH", 1054},  {"tr", 1055},     {"tr_TR", 1055},  {"uk", 1058},     {"uk_UA", 1058},
    {"ur", 1056},     {"ur_PK", 1056},  {"uz", 1091},     {"uz_UZ", 1091},  {"vi", 1066},     {"vi_VN", 1066},
    {"zh", 2052},     {"zh_CN", 2052},  {"zh_HK", 3076},  {"zh_MO", 5124},  {"zh_SG", 4100},  {"zh_TW", 1028},
});

static_assert(std::is_sorted(kLocales.begin(), kLocales.end(),
                             [](const LocaleEntry& a, const LocaleEntry& b) { return a.name < b.name; }));

std::optional<std::uint16_t> Lookup(std::string_view name) {
    const auto it = std::lower_bound(kLocales.begin(), kLocales.end(), name,
                                     [](const LocaleEntry& e, std::string_view n) { return e.name < n; });
    if (it == kLocales.end() || it->name != name)
        return std::nullopt;
    return it->lcid;
}

}  // namespace

std::uint16_t LcidFromLocaleName(std::string_view localeName) {
    // "ll_TT.codeset@modifier": the code set and modifier do not change the identifier.
    std::string_view name = localeName.substr(0, localeName.find_first_of(".@"));
    std::string normal(name);
    for (std::size_t i = 0; i < normal.size(); ++i) {
        char& c = normal[i];
        if (c == '-')
            c = '_';
        const bool territory = normal.find('_') < i;
        if (territory && c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (!territory && c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    if (const auto lcid = Lookup(normal))
        return *lcid;
    if (const auto lcid = Lookup(std::string_view(normal).substr(0, normal.find('_'))))
        return *lcid;
    return kEnglishUs;
}

std::uint16_t SystemDefaultLcid() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && value[0] != '\0')
            return LcidFromLocaleName(value);
    }
    return kEnglishUs;
}

}  // namespace cpe::platform
