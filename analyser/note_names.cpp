#include "note_names.h"

#include <cmath>

namespace vellarin {

QString noteName(int note)
{
    static const char* const names[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    const int octave = (note >= 0 ? note / 12 : (note - 11) / 12) - 1;
    return QLatin1String(names[((note % 12) + 12) % 12]) + QString::number(octave);
}

double noteHertz(int note) { return 440.0 * std::exp2((note - 69) / 12.0); }

std::optional<NoteReading> nearestNote(double hertz)
{
    if (!(hertz > 0) || !std::isfinite(hertz))
        return std::nullopt;
    const double semitones = 69.0 + 12.0 * std::log2(hertz / 440.0);
    // Beyond C-1 .. G9 and far past it, no instrument plays.
    if (semitones < -12 || semitones > 144)
        return std::nullopt;
    // Cents are rounded first, so 49.6 cents above a note reads +50, never -50 of the next.
    const long cents = std::lround(100.0 * semitones);
    auto note = int(cents / 100);
    auto offset = int(cents % 100);
    if (offset > 50) {
        ++note;
        offset -= 100;
    } else if (offset < -50) {
        --note;
        offset += 100;
    }
    return NoteReading{note, offset, noteName(note)};
}

}  // namespace vellarin
