#pragma once
// Help: About (the program's version and licence, and the versions of the
// chart, waterfall and FFT components it loaded) and the list of keys and
// mouse gestures. Both are windows of their own that never block the
// analyser; asked for again, the one already open comes to the front.
#include <QObject>
#include <QPointer>
#include <QString>

#include <span>

class QDialog;
class QWidget;

namespace vellarin {

struct KeyHelp {
    const char* keys;
    const char* does;
};

// Every key and gesture the window answers to, as the Keys and Mouse window lists them.
std::span<const KeyHelp> keyHelp();

// "1.1.0.2", as the component's module tells it; what went wrong otherwise.
QString componentVersion(const QString& moduleName, const QUuid& classId);

QString aboutText();

class HelpWindows final : public QObject {
public:
    explicit HelpWindows(QWidget* parent);
    QDialog* showAbout();
    QDialog* showKeys();

private:
    QDialog* show(QPointer<QDialog>& window, const QString& title, const QString& text);

    QWidget* m_parent;
    QPointer<QDialog> m_about;
    QPointer<QDialog> m_keys;
};

}  // namespace vellarin
