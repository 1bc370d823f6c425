// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sixteen DTMF keys: each key's symbol, the row and column frequencies it
// sounds, and the tone file that holds it ("1.wav" to "16.wav", in the order
// 1-9, 0, *, #, A-D). Plain C++, so that the tone generator can use it too.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tones {

inline constexpr std::array<double, 4> kDtmfRowHz = {697, 770, 852, 941};
inline constexpr std::array<double, 4> kDtmfColumnHz = {1209, 1336, 1477, 1633};

struct DtmfKey {
    char symbol = 0; // '0' to '9', '*', '#', 'A' to 'D'
    int row = 0;     // index into kDtmfRowHz
    int column = 0;  // index into kDtmfColumnHz

    constexpr double rowHz() const { return kDtmfRowHz[std::size_t(row)]; }
    constexpr double columnHz() const { return kDtmfColumnHz[std::size_t(column)]; }
    // n of its tone file "n.wav": its place in kDtmfKeys, from 1.
    constexpr int fileNumber() const;
    bool operator==(const DtmfKey&) const = default;
};

// The keys in the order of their files' numbers.
inline constexpr std::array<DtmfKey, 16> kDtmfKeys = {{
    {'1', 0, 0},
    {'2', 0, 1},
    {'3', 0, 2},
    {'4', 1, 0},
    {'5', 1, 1},
    {'6', 1, 2},
    {'7', 2, 0},
    {'8', 2, 1},
    {'9', 2, 2},
    {'0', 3, 1},
    {'*', 3, 0},
    {'#', 3, 2},
    {'A', 0, 3},
    {'B', 1, 3},
    {'C', 2, 3},
    {'D', 3, 3},
}};

constexpr int DtmfKey::fileNumber() const {
    for (std::size_t i = 0; i < kDtmfKeys.size(); ++i) {
        if (kDtmfKeys[i].symbol == symbol) {
            return int(i) + 1;
        }
    }
    return 0;
}

// The key a symbol stands for, letters in either case; none for any other
// character.
constexpr std::optional<DtmfKey> dtmfKey(char32_t symbol) {
    if (symbol >= U'a' && symbol <= U'd') {
        symbol -= U'a' - U'A';
    }
    for (const DtmfKey& key : kDtmfKeys) {
        if (char32_t(key.symbol) == symbol) {
            return key;
        }
    }
    return std::nullopt;
}

// The name of the key's tone file: "1.wav" to "16.wav".
inline std::string toneFileName(const DtmfKey& key) {
    return std::to_string(key.fileNumber()) + ".wav";
}

// The key whose tone a file of this name holds ("5.wav": 5, "10.wav": 0); none
// for any other name ("05.wav", "5.WAV", "17.wav"). The name alone, no folder.
constexpr std::optional<DtmfKey> dtmfKeyOfFileName(std::string_view fileName) {
    if (!fileName.ends_with(".wav")) {
        return std::nullopt;
    }
    fileName.remove_suffix(4);
    if (fileName.empty() || fileName.size() > 2 || fileName.front() == '0') {
        return std::nullopt;
    }
    std::size_t n = 0;
    for (const char digit : fileName) {
        if (digit < '0' || digit > '9') {
            return std::nullopt;
        }
        n = 10 * n + std::size_t(digit - '0');
    }
    if (n > kDtmfKeys.size()) {
        return std::nullopt;
    }
    return kDtmfKeys[n - 1];
}

} // namespace tones
