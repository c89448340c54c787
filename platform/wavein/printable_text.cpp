#include <wavein/printable_text.h>

#include <QList>
#include <QStringView>

namespace wavein {

namespace {

// Unicode's bidirectional formatting characters (UAX #9, clause 2): marks,
// embeddings, overrides and isolates change the order text is read in.
bool turnsDirection(char32_t c)
{
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

bool isHidden(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Other_Control:  // C0, DEL and C1, ESC and CSI among them
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return turnsDirection(c);
    }
}

}  // namespace

QString printableText(const QString& text)
{
    QString shown;
    shown.reserve(text.size());
    for (const uint code : QStringView(text).toUcs4()) {
        const char32_t c = code;
        if (isHidden(c))
            shown += u' ';
        else
            shown += QStringView(QChar::fromUcs4(c));
    }
    return shown;
}

}  // namespace wavein
