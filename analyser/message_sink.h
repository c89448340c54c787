#pragma once
// How the analyser tells the user about a failure: a message with fixed text,
// an OK button only, no icon, and the application's title as caption. Where
// the program knows why, the reason stands beneath the text.
#include <QString>

class QWidget;

namespace vellarin {

inline constexpr const char* applicationTitle = "Vellarin II";

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // Returns when the user has dismissed the message. `reason` is empty
    // when there is nothing to add to the text.
    virtual void show(const QString& text, const QString& reason) = 0;
    void show(const QString& text) { show(text, QString()); }
};

// The modal message box of the desktop.
class MessageBoxSink final : public MessageSink {
public:
    explicit MessageBoxSink(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    using MessageSink::show;
    void show(const QString& text, const QString& reason) override;

private:
    QWidget* m_parent;
};

}  // namespace vellarin
