#pragma once
// Names that come from outside the program (a source's description, the
// sound server's name for it) are shown on a terminal, in the window, in
// messages and in files. Any local client may name a source, so a name may
// carry escape sequences that would drive the terminal, line breaks that
// would forge lines of output, or direction overrides that make it read as
// another. Every one of those becomes a blank; all else is kept as it is.
#include <QString>

namespace wavein {

QString printableText(const QString& text);

}  // namespace wavein
