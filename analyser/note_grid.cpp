#include "note_grid.h"

#include "note_names.h"

namespace vellarin {

std::vector<OctaveLine> octaveLines(double lowHertz, double highHertz)
{
    std::vector<OctaveLine> lines;
    for (int octave = 1; octave <= 9; ++octave) {
        const int note = 12 * (octave + 1);  // C of that octave
        const double hertz = noteHertz(note);
        if (hertz >= lowHertz && hertz <= highHertz)
            lines.push_back({hertz, noteName(note)});
    }
    return lines;
}

}  // namespace vellarin
