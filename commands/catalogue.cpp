#include "commands/catalogue.h"

#include <algorithm>
#include <array>

namespace commands {
namespace {

constexpr QStringView kThresholds = u"Tresholds";
constexpr QStringView kRequestData = u"Request Data";
constexpr QStringView kSystem = u"System";
constexpr QStringView kTime = u"Time";
constexpr QStringView kManual = u"manual ";
constexpr QStringView kOle = u"OLE";
constexpr QStringView kAdcs = u"ADCS";
constexpr QStringView kPointer = u"Pointer";

constexpr std::array<CatalogueEntry, kCommandCount> kCatalogue{{
    {12, kThresholds, u"SET_LOW_TEMP", u"**13#200#", Sent::Threshold, u"Text1"},
    {11, kThresholds, u"SET_OK_TEMP", u"**14#200#", Sent::Threshold, u"Text2"},
    {10, kThresholds, u"SET_LOW_BATT", u"**15#178#", Sent::Threshold, u"Text3"},
    {9, kThresholds, u"SET_CRIT_BATT", u"**16#170#", Sent::Threshold, u"Text4"},

    {4, kRequestData, u"TEST_BEACON", u"**35##", Sent::Caption},
    {5, kRequestData, u"TEST_PACKET", u"**36##", Sent::Caption},
    {22, kRequestData, u"HK_NEW", u"**60##", Sent::Caption},
    {23, kRequestData, u"SYS_DATA", u"**61##", Sent::Caption},
    {26, kRequestData, u"ADCS_XHK", u"**65##", Sent::Caption},
    {24, kRequestData, u"IMAGE_NEW", u"**62##", Sent::Caption},
    {27, kRequestData, u"ADCS_ALM", u"**66##", Sent::Caption},
    {25, kRequestData, u"GPS_DATA", u"**64##", Sent::Caption},

    {2, kSystem, u"FM_ENABLE", u"**33##", Sent::Caption},
    {3, kSystem, u"FM_DISABLE", u"**34##", Sent::Caption},
    {6, kSystem, u"AFSK_1k2", u"**30##", Sent::Caption},
    {7, kSystem, u"MSK_2k4", u"**31##", Sent::Caption},
    {8, kSystem, u"MSK_4k8", u"**32##", Sent::Caption},
    {0, kSystem, u"XHK_ERASE", u"**47##", Sent::Caption},
    {1, kSystem, u"DEPLOY_OFF", u"**38##", Sent::Caption},

    {20, kTime, u"SET_TIME", u"**10#[]#", Sent::Time},

    {21, kManual, u"", u"send", Sent::FreeText, u"Text13"},

    {19, kOle, u"SET OLE", u"**11#[]#", Sent::Elements},

    {13, kAdcs, u"SET_SAFE", u"**42##", Sent::Caption},
    {14, kAdcs, u"SET_CONTROL", u"**44##", Sent::Caption},
    {15, kAdcs, u"SET_GPS", u"**46##", Sent::Caption},
    {16, kAdcs, u"SET_RESET", u"**41##", Sent::Caption},

    {17, kPointer, u"PACKET_POINTER", u"**39#[]#", Sent::PacketPair, u"Text5", u"Text6"},
    {18, kPointer, u"PACKET_RESEND", u"**40#[]#", Sent::PacketPair, u"Text7", u"Text8"},
}};

} // namespace

std::span<const CatalogueEntry> Catalogue() {
    return kCatalogue;
}

const CatalogueEntry* FindCommand(qint16 index) {
    const auto* it = std::find_if(kCatalogue.begin(), kCatalogue.end(),
                                  [index](const CatalogueEntry& e) { return e.index == index; });
    return it == kCatalogue.end() ? nullptr : &*it;
}

} // namespace commands
