#pragma once
// Keeps every message the analyser shows instead of opening a modal box, so
// a test can read what the user would have been told and never blocks.
#include <message_sink.h>

#include <QStringList>

namespace test_support {

class RecordedMessages final : public vellarin::MessageSink {
public:
    using MessageSink::show;
    void show(const QString& text, const QString& reason) override
    {
        shown << text;
        reasons << reason;
    }
    QStringList shown;
    QStringList reasons;  // one for each message, empty where none was given
};

}  // namespace test_support
