// Parsing of the score notation into pattern cells.
#include "tools/song/song_notation.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace song {
namespace {

constexpr int NOTE_C0 = 1;

int SemitoneOfLetter(char letter) {
    switch (letter) {
        case 'C':
            return 0;
        case 'D':
            return 2;
        case 'E':
            return 4;
        case 'F':
            return 5;
        case 'G':
            return 7;
        case 'A':
            return 9;
        case 'B':
            return 11;
        default:
            return -1;
    }
}

// Splits on single spaces, skipping empty pieces.
std::vector<std::string_view> Tokens(std::string_view text) {
    std::vector<std::string_view> tokens;
    size_t begin = 0;
    while (begin < text.size()) {
        size_t end = text.find(' ', begin);
        if (end == std::string_view::npos) end = text.size();
        if (end > begin) tokens.push_back(text.substr(begin, end - begin));
        begin = end + 1;
    }
    return tokens;
}

bool InPattern(const XmPattern& pattern, int channel, int row) {
    return channel >= 0 && channel < pattern.channels && row >= 0 && row < pattern.rows;
}

bool FitsSteps(const XmPattern& pattern, int channel, int startRow, std::string_view steps) {
    return !steps.empty() && InPattern(pattern, channel, startRow) &&
           InPattern(pattern, channel, startRow + static_cast<int>(steps.size()) - 1);
}

void Strike(XmCell& cell, int note, uint8_t instrument, int volume) {
    cell.note = static_cast<uint8_t>(note);
    cell.instrument = instrument;
    cell.volume = volume > 0 ? VolumeColumn(volume) : 0;
}

// The row count after the colon of a melody token; 0 when malformed.
int TokenRows(std::string_view token, std::string_view& head) {
    const size_t colon = token.find(':');
    if (colon == std::string_view::npos) return 0;
    head = token.substr(0, colon);
    int rows = 0;
    const std::string_view digits = token.substr(colon + 1);
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), rows);
    if (result.ec != std::errc() || result.ptr != digits.data() + digits.size()) return 0;
    return rows;
}

}  // namespace

int ParseNote(std::string_view text) {
    if (text.size() != 3) return 0;
    const int semitone = SemitoneOfLetter(text[0]);
    if (semitone < 0 || text[2] < '0' || text[2] > '7') return 0;
    int sharp = 0;
    if (text[1] == '#') {
        sharp = 1;
    } else if (text[1] != '-') {
        return 0;
    }
    const int octave = text[2] - '0';
    const int note = NOTE_C0 + octave * 12 + semitone + sharp;
    return note <= NOTE_C0 + 8 * 12 - 1 ? note : 0;
}

bool ParseChord(std::string_view text, Chord& chord) {
    if (text.empty()) return false;
    int root = SemitoneOfLetter(text[0]);
    if (root < 0) return false;
    size_t at = 1;
    if (at < text.size() && (text[at] == '#' || text[at] == 'b')) {
        root += text[at] == '#' ? 1 : -1;
        ++at;
    }
    const bool minor = at < text.size() && text[at] == 'm';
    if (minor) ++at;
    if (at != text.size()) return false;
    chord.root = (root + 12) % 12;
    chord.minor = minor;
    return true;
}

bool WriteMelody(XmPattern& pattern, int channel, int startRow, std::string_view melody,
                 const MelodyStyle& style) {
    int row = startRow;
    for (std::string_view token : Tokens(melody)) {
        std::string_view head;
        const int rows = TokenRows(token, head);
        if (rows <= 0 || !InPattern(pattern, channel, row) || !InPattern(pattern, channel, row + rows - 1)) {
            return false;
        }
        XmCell& first = pattern.At(row, channel);
        if (head == "off") {
            first.note = NOTE_KEY_OFF;
        } else if (head == "X") {
            Strike(first, ParseNote("C-4"), style.crashInstrument, 0);
        } else if (head != "r") {
            const int note = ParseNote(head);
            if (note == 0) return false;
            Strike(first, note, style.instrument, style.volume);
            for (int i = 3; style.vibrato && rows >= VIBRATO_MIN_ROWS && i < rows; ++i) {
                pattern.At(row + i, channel).effect = FX_VIBRATO;
                pattern.At(row + i, channel).param = VIBRATO_PARAM;
            }
        }
        row += rows;
    }
    return true;
}

bool WriteDrums(XmPattern& pattern, int channel, int startRow, std::string_view steps, const DrumKit& kit) {
    if (!FitsSteps(pattern, channel, startRow, steps)) return false;
    const int rollLength = static_cast<int>(std::count(steps.begin(), steps.end(), 'r'));
    int rollIndex = 0;
    const int c4 = ParseNote("C-4");
    for (size_t i = 0; i < steps.size(); ++i) {
        XmCell& cell = pattern.At(startRow + static_cast<int>(i), channel);
        switch (steps[i]) {
            case 'k':
                Strike(cell, c4, kit.kick, 64);
                break;
            case 's':
                Strike(cell, c4, kit.snare, 58);
                break;
            case 'g':
                Strike(cell, c4, kit.snare, 20);
                break;
            case 'h':
                Strike(cell, c4, kit.closedHat, 28);
                break;
            case 'H':
                Strike(cell, c4, kit.closedHat, 42);
                break;
            case 'o':
                Strike(cell, c4, kit.openHat, 34);
                break;
            case 'r': {
                const int volume = rollLength > 1 ? 14 + 50 * rollIndex / (rollLength - 1) : 64;
                Strike(cell, c4, kit.snare, volume);
                ++rollIndex;
                break;
            }
            case '.':
                break;
            default:
                return false;
        }
    }
    return true;
}

bool WriteBass(XmPattern& pattern, int channel, int startRow, std::string_view steps, const Chord& chord,
               uint8_t instrument) {
    if (!FitsSteps(pattern, channel, startRow, steps)) return false;
    // Roots from E-2 up to D#3 keep the line in one comfortable octave.
    const int root = NOTE_C0 + 2 * 12 + chord.root + (chord.root < 4 ? 12 : 0);
    for (size_t i = 0; i < steps.size(); ++i) {
        XmCell& cell = pattern.At(startRow + static_cast<int>(i), channel);
        switch (steps[i]) {
            case 'R':
                Strike(cell, root, instrument, 0);
                break;
            case 'O':
                Strike(cell, root + 12, instrument, 0);
                break;
            case 'F':
                Strike(cell, root + 7, instrument, 0);
                break;
            case 'S':
                Strike(cell, root + 10, instrument, 0);
                break;
            case 'T':
                Strike(cell, root + (chord.minor ? 3 : 4), instrument, 0);
                break;
            case '^':
                cell.note = NOTE_KEY_OFF;
                break;
            case '.':
                break;
            default:
                return false;
        }
    }
    return true;
}

bool WriteArp(XmPattern& pattern, int channel, int startRow, std::string_view steps, const Chord& chord,
              uint8_t instrument, int volume) {
    if (!FitsSteps(pattern, channel, startRow, steps)) return false;
    const int root = NOTE_C0 + 4 * 12 + chord.root + (chord.root < 6 ? 12 : 0);
    const uint8_t shape = chord.minor ? 0x37 : 0x47;
    for (size_t i = 0; i < steps.size(); ++i) {
        XmCell& cell = pattern.At(startRow + static_cast<int>(i), channel);
        switch (steps[i]) {
            case 'x':
                Strike(cell, root, instrument, volume);
                [[fallthrough]];
            case '-':
                cell.effect = FX_ARPEGGIO;
                cell.param = shape;
                break;
            case '.':
                break;
            default:
                return false;
        }
    }
    return true;
}

}  // namespace song
