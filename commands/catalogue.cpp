// SPDX-License-Identifier: GPL-3.0-or-later
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

using enum Composition;
using V = CommandValues;

constexpr std::array<CatalogueEntry, 28> kCatalogue{{
    {12, kThresholds, u"SET_LOW_TEMP", u"**13#200#", Threshold, &V::lowTemp, nullptr, 3},
    {11, kThresholds, u"SET_OK_TEMP", u"**14#200#", Threshold, &V::okTemp, nullptr, 3},
    {10, kThresholds, u"SET_LOW_BATT", u"**15#178#", Threshold, &V::lowBatt, nullptr, 3},
    {9, kThresholds, u"SET_CRIT_BATT", u"**16#170#", Threshold, &V::critBatt, nullptr, 3},

    {4, kRequestData, u"TEST_BEACON", u"**35##", Caption},
    {5, kRequestData, u"TEST_PACKET", u"**36##", Caption},
    {22, kRequestData, u"HK_NEW", u"**60##", Caption},
    {23, kRequestData, u"SYS_DATA", u"**61##", Caption},
    {26, kRequestData, u"ADCS_XHK", u"**65##", Caption},
    {24, kRequestData, u"IMAGE_NEW", u"**62##", Caption},
    {27, kRequestData, u"ADCS_ALM", u"**66##", Caption},
    {25, kRequestData, u"GPS_DATA", u"**64##", Caption},

    {2, kSystem, u"FM_ENABLE", u"**33##", Caption},
    {3, kSystem, u"FM_DISABLE", u"**34##", Caption},
    {6, kSystem, u"AFSK_1k2", u"**30##", Caption},
    {7, kSystem, u"MSK_2k4", u"**31##", Caption},
    {8, kSystem, u"MSK_4k8", u"**32##", Caption},
    {0, kSystem, u"XHK_ERASE", u"**47##", Caption},
    {1, kSystem, u"DEPLOY_OFF", u"**38##", Caption},

    {20, kTime, u"SET_TIME", u"**10#[]#", Time},

    {21, kManual, u"", u"send", FreeText, &V::freeText},

    {19, kOle, u"SET OLE", u"**11#[]#", Elements},

    {13, kAdcs, u"SET_SAFE", u"**42##", Caption},
    {14, kAdcs, u"SET_CONTROL", u"**44##", Caption},
    {15, kAdcs, u"SET_GPS", u"**46##", Caption},
    {16, kAdcs, u"SET_RESET", u"**41##", Caption},

    {17, kPointer, u"PACKET_POINTER", u"**39#[]#", PacketPair, &V::pointerIn, &V::pointerOut, 5},
    {18, kPointer, u"PACKET_RESEND", u"**40#[]#", PacketPair, &V::resendStart, &V::resendStop, 5},
}};

} // namespace

std::span<const CatalogueEntry> catalogue() {
    return kCatalogue;
}

const CatalogueEntry* findCommand(int index) {
    const auto* it = std::find_if(kCatalogue.begin(), kCatalogue.end(),
                                  [index](const CatalogueEntry& e) { return e.index == index; });
    return it == kCatalogue.end() ? nullptr : &*it;
}

const CatalogueEntry* findCommand(QStringView name) {
    const auto spelled = [](QStringView text) { return text.toString().replace(u' ', u'_'); };
    const auto* it =
        std::find_if(kCatalogue.begin(), kCatalogue.end(), [&](const CatalogueEntry& e) {
            return !e.name.isEmpty() && spelled(e.name) == spelled(name);
        });
    return it == kCatalogue.end() ? nullptr : &*it;
}

} // namespace commands
