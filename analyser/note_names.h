#pragma once
// Equal-tempered notes against A4 = 440 Hz, named with sharps: "C4", "C#4".
#include <QString>

#include <optional>

namespace vellarin {

struct NoteReading {
    int note;     // MIDI number: 69 is A4, 60 is C4
    int cents;    // -50..+50 from that note
    QString name;
};

// The nearest note and the cents from it; none for a frequency that is not
// positive and finite or lies beyond any sensible note.
std::optional<NoteReading> nearestNote(double hertz);

// "C4", "A#0".
QString noteName(int note);
double noteHertz(int note);

}  // namespace vellarin
