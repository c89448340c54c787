#pragma once
// Keeps every message the analyser shows instead of opening a modal box, so
// a test can read what the user would have been told and never blocks.
#include <message_sink.h>

#include <QStringList>

namespace test_support {

class RecordedMessages final : public vellarin::MessageSink {
public:
    void show(const QString& text) override { shown << text; }
    QStringList shown;
};

}  // namespace test_support
