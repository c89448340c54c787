#pragma once
// How the analyser tells the user about a failure: a message with fixed text,
// an OK button only, no icon, and the application's title as caption.
#include <QString>

class QWidget;

namespace vellarin {

inline constexpr const char* applicationTitle = "Vellarin II";

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // Returns when the user has dismissed the message.
    virtual void show(const QString& text) = 0;
};

// The modal message box of the desktop.
class MessageBoxSink final : public MessageSink {
public:
    explicit MessageBoxSink(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    void show(const QString& text) override;

private:
    QWidget* m_parent;
};

}  // namespace vellarin
